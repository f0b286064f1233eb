// The main window offscreen, on a host of three subscribers (one without a class of service,
// which the run logs as an error): its controls by name, Start, Browse, the type box, its
// layout, a run's locks and its Exit, and the program's message boxes.
#include <QAction>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "export/catalogue.h"
#include "hostbuilder/host_builder.h"
#include "localize/language_pack.h"
#include "localize/languages.h"
#include "localize/localizer.h"
#include "support/files.h"
#include "support/recording_notifier.h"
#include "support/run_config.h"
#include "support/screenshots.h"
#include "ui/frm_main.h"
#include "ui/message_box_notifier.h"

using namespace brindle;
using brindle::fixture::HostBuilder;
using testing::fileContents;

namespace {

const QString kOneError = QStringLiteral(
    "Output complete.   1 error(s) encountered in process.  Press OK to view the error log now");

// Every visible control lies inside its container and overlaps none of its visible siblings.
void verifyNothingOverlaps(QWidget* container) {
    QList<QWidget*> shown;
    for (QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(container)) shown << child;
    }
    for (QWidget* child : shown) {
        QVERIFY2(container->rect().contains(child->geometry()), qPrintable(child->objectName()));
        for (QWidget* other : shown) {
            QVERIFY2(child == other || !child->geometry().intersects(other->geometry()),
                     qPrintable(child->objectName() + " and " + other->objectName()));
        }
        verifyNothingOverlaps(child);
    }
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_host;
    QTemporaryDir m_emptyHost;
    QTemporaryDir m_home;

    // A loaded window; questions get `answer`. Each window holds the host's single-copy lock,
    // so only one lives at a time.
    struct Window {
        testing::RecordingNotifier notifier;
        Localizer strings{&notifier};
        QTemporaryDir packs;
        Languages languages{strings, packs.path(), "brindle", 1033, loadLanguagePack};
        FrmMain frm;
        Window(const RunConfig& config, bool answer = false)
            : notifier(answer), frm(config, strings, notifier) {
            frm.setLanguages(&languages);
            if (!frm.Form_Load()) qFatal("the main window did not load");
        }
        template <typename T = QWidget>
        T* find(const char* name) {
            return frm.findChild<T*>(name);
        }
        void choose(const QList<int>& rows, const QString& output) {
            for (int row : rows) find<QListWidget>("lstDataItems")->item(row)->setSelected(true);
            find<QLineEdit>("txtOutputPath")->setText(output);
        }
    };
    RunConfig config(const QTemporaryDir& host) const {
        return testing::runConfigFor(host.path(), m_home.path());
    }

private slots:
    void initTestCase() {
        HostBuilder host;
        host.subscriber("jsmith");
        host.subscriber("akim");
        host.subscriber("nocos").set("COSObjectID", "missing-cos");
        QVERIFY(host.write(m_host.path()).ok());
        QVERIFY(HostBuilder().write(m_emptyHost.path()).ok());
    }

    void showsTheHostAndTheDefaultsAfterStartUp() {
        Window window(config(m_host));
        QCOMPARE(window.find<QLabel>("lblSubscriberCount")->text(), QString("3"));
        QCOMPARE(window.find<QProgressBar>("ProgressBar")->maximum(), 3);
        auto* list = window.find<QListWidget>("lstDataItems");
        QCOMPARE(list->count(), int(dataItems().size()));
        QVERIFY(list->selectedItems().isEmpty());
        QCOMPARE(window.find<QLineEdit>("txtOutputPath")->text(), m_home.filePath("Brindle.CSV"));
        QVERIFY(window.find<QRadioButton>("optSeperateWithCommas")->isChecked());
        QVERIFY(window.find<QRadioButton>("optQuotesWhenCommaPresent")->isChecked());
        QVERIFY(!window.find("frameSubscriberType")->isVisibleTo(&window.frm));
        QVERIFY(window.notifier.messages.isEmpty());
    }

    void startReportsWhatTheRunDid_data() {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QByteArray>("written");
        QTest::addRow("nothing selected")
            << QList<int>{} << "%home/none.csv" << QStringList{"No items selected for outport!"}
            << QStringList{} << QByteArray("(missing)");
        QTest::addRow("the alias") << QList<int>{0} << "%home/alias.csv" << QStringList{}
                                   << QStringList{kOneError, "View the CSV file now?"}
                                   << QByteArray("ALIAS\r\njsmith\r\nakim\r\n");
        QTest::addRow("an output that names a folder")
            << QList<int>{0} << "%home/"
            << QStringList{"the output path %home/ names a folder, not a file; nothing was written"}
            << QStringList{} << QByteArray("(missing)");
    }
    void startReportsWhatTheRunDid() {
        QFETCH(QList<int>, rows);
        QFETCH(QString, output);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, questions);
        QFETCH(QByteArray, written);
        output.replace("%home", m_home.path());
        messages.replaceInStrings("%home", m_home.path());
        Window window(config(m_host));
        window.choose(rows, output);
        window.frm.cmdStart_Click();
        QCOMPARE(window.notifier.messages, messages);
        QCOMPARE(window.notifier.questions, questions);
        QCOMPARE(fileContents(output), written);
        QVERIFY(window.find("cmdStart")->isEnabled());
    }

    void browseTakesOnlyANameThatCanBeWritten_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("accepted");
        QTest::addRow("cancelled") << "" << false;
        QTest::addRow("three characters") << "/ab" << false;
        QTest::addRow("an existing file") << "%home/existing.csv" << true;
        QTest::addRow("a new name") << "%home/new.csv" << true;
        QTest::addRow("a folder") << "%home" << false;
        QTest::addRow("a missing folder") << "%home/no/such/out.csv" << false;
    }
    void browseTakesOnlyANameThatCanBeWritten() {
        QFETCH(QString, chosen);
        QFETCH(bool, accepted);
        chosen.replace("%home", m_home.path());
        QVERIFY(testing::writeFile(m_home.filePath("existing.csv"), "yesterday\r\n"));
        Window window(config(m_host));
        auto* path = window.find<QLineEdit>("txtOutputPath");
        const QString before = path->text();
        window.frm.setFileChooser([&](const QString&, const QString&) { return chosen; });
        window.frm.cmdBrowse_Click();
        QCOMPARE(path->text(), accepted ? chosen : before);
        const bool refused = !accepted && !chosen.isEmpty();
        QCOMPARE(window.notifier.messages, refused ? QStringList{"Invalid file name!"} : QStringList());
        QVERIFY(!QFile::exists(m_home.filePath("new.csv")));
        QCOMPARE(fileContents(m_home.filePath("existing.csv")), QByteArray("yesterday\r\n"));
    }

    // Until the window is shown, a language switch's refill reads nothing.
    void theTypeBoxRecountsTheSubscribersOnceShown_data() {
        QTest::addColumn<bool>("empty");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("count");
        QTest::addRow("not shown") << false << false << "3";
        QTest::addRow("shown") << false << true << " 3";
        QTest::addRow("shown, no subscribers") << true << true << " 0";
    }
    void theTypeBoxRecountsTheSubscribersOnceShown() {
        QFETCH(bool, empty);
        QFETCH(bool, shown);
        QFETCH(QString, count);
        Window window(config(empty ? m_emptyHost : m_host));
        if (shown) window.frm.show();
        window.frm.frmMain_Auto_Init();
        QCOMPARE(window.find<QLabel>("lblSubscriberCount")->text(), count);
        QCOMPARE(window.find("cmdStart")->isEnabled(), !empty);
    }

    // One width, and every line gained or lost goes to the list.
    void keepsItsLayoutWhenResized_data() {
        QTest::addColumn<QSize>("requested");
        QTest::addRow("below the designed size") << QSize(100, 100);
        QTest::addRow("taller and wider") << QSize(900, 760);
        QTest::addRow("maximized") << QSize();
    }
    void keepsItsLayoutWhenResized() {
        QFETCH(QSize, requested);
        Window window(config(m_host));
        window.frm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.frm));
        QVERIFY(testing::saveScreenshot(window.frm, "main-window"));
        const QSize designed = window.frm.size();
        const int listBelow = designed.height() - window.find("lstDataItems")->height();
        if (requested.isValid()) {
            window.frm.resize(requested);
        } else {
            window.frm.showMaximized();
            const QRect screen = window.frm.screen()->availableGeometry();
            QTRY_VERIFY(!window.frm.isMaximized() && window.frm.height() == screen.height());
            QCOMPARE(window.frm.pos(), screen.topLeft());
        }
        QCOMPARE(window.frm.width(), designed.width());
        QVERIFY(qAbs(window.frm.height() - window.find("lstDataItems")->height() - listBelow) <= 1);
        verifyNothingOverlaps(&window.frm);
    }

    // The subscriber type too: switching it reads the subscribers again, under the run; and
    // About, whose language switch would change the lines' columns part way.
    void aRunLocksItsOptionsAndSaysWhenNothingCanShowTheFiles() {
        Window window(config(m_host), true);
        const QString output = m_home.filePath("locked.csv");
        window.choose({0}, output);
        const char* const locked[] = {"lstDataItems",      "cmdBrowse",      "txtOutputPath",
                                      "frameSeperateWith", "frameUseQuotes", "cmbSubscriberType",
                                      "cmdStart"};
        QList<bool> enabledDuringRun;
        QTimer::singleShot(0, &window.frm, [&] {
            for (const char* name : locked) enabledDuringRun << window.find(name)->isEnabled();
            enabledDuringRun << window.find<QAction>("About")->isEnabled();
        });
        window.frm.cmdStart_Click();
        QCOMPARE(enabledDuringRun, QList<bool>(std::size(locked) + 1, false));
        for (const char* name : locked) QVERIFY2(window.find(name)->isEnabled(), name);
        QVERIFY(window.find<QAction>("About")->isEnabled());
        // Offscreen there is no application to show a file: the user is told where it is.
        QCOMPARE(window.notifier.messages.size(), 2);
        QVERIFY(window.notifier.messages[0].contains(m_home.filePath("BrindleErrors.log")));
        QVERIFY(window.notifier.messages[1].contains(output));
    }

    void theProgramsMessageBoxesAnswerAsClicked_data() {
        QTest::addColumn<int>("answers");  // -1: a message
        QTest::addColumn<QMessageBox::StandardButton>("clicked");
        QTest::addColumn<bool>("answer");
        QTest::addRow("a message") << -1 << QMessageBox::Ok << false;
        QTest::addRow("OK") << int(Notifier::Answers::OkCancel) << QMessageBox::Ok << true;
        QTest::addRow("Cancel") << int(Notifier::Answers::OkCancel) << QMessageBox::Cancel << false;
        QTest::addRow("Yes") << int(Notifier::Answers::YesNo) << QMessageBox::Yes << true;
        QTest::addRow("No") << int(Notifier::Answers::YesNo) << QMessageBox::No << false;
    }
    void theProgramsMessageBoxesAnswerAsClicked() {
        QFETCH(int, answers);
        QFETCH(QMessageBox::StandardButton, clicked);
        QFETCH(bool, answer);
        QWidget parent;
        MessageBoxNotifier notifier(&parent);
        QString shown;
        QTimer clicker;
        connect(&clicker, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->button(clicked) || !QTest::qWaitForWindowExposed(box)) return;
            shown = box->windowTitle() + ": " + box->text();
            QVERIFY(testing::saveScreenshot(*box, "message-box"));
            box->button(clicked)->click();
        });
        clicker.start(20);
        const bool given = answers < 0
                               ? (notifier.inform("Invalid file name!"), false)
                               : notifier.confirm("View the CSV file now?", Notifier::Answers(answers));
        QCOMPARE(given, answer);
        QCOMPARE(shown, answers < 0 ? "Brindle: Invalid file name!" : "Brindle: View the CSV file now?");
    }

    // Meanwhile the window goes on taking events, Exit among them, which ends the run at once,
    // also while a writer holds the directory and the run waits for it. Last: Exit ends every
    // later event loop (a message box's too) at once.
    void exitStopsTheRunAndLeavesNoOutput_data() {
        QTest::addColumn<bool>("directoryHeld");
        QTest::addColumn<int>("exitAfterMs");
        QTest::addRow("before the next subscriber") << false << 0;
        QTest::addRow("while the directory is held") << true << 1000;
    }
    void exitStopsTheRunAndLeavesNoOutput() {
        QFETCH(bool, directoryHeld);
        QFETCH(int, exitAfterMs);
        const QString output = m_home.filePath("stopped.csv");
        qint64 took = 0;
        int ticks = 0;
        bool startDisabled = false;
        {
            RunConfig waiting = config(m_host);
            waiting.directoryTimeoutSeconds = 30;
            Window window(waiting);
            window.choose({}, output);
            auto* items = window.find<QListWidget>("lstDataItems");
            for (int row = 0; row < items->count(); ++row) items->item(row)->setSelected(true);
            QSqlDatabase writer = QSqlDatabase::addDatabase("QSQLITE", "writer");
            writer.setDatabaseName(m_host.filePath("HalvernDirDB.db"));
            QVERIFY(writer.open());
            QSqlQuery lock(writer);
            if (directoryHeld) QVERIFY(lock.exec("BEGIN EXCLUSIVE"));
            QTimer timer;
            connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
            timer.start(50);
            QTimer::singleShot(exitAfterMs, &window.frm, [&] {
                startDisabled = !window.find("cmdStart")->isEnabled();
                QTest::mouseClick(window.find<QPushButton>("cmdExit"), Qt::LeftButton);
            });
            QElapsedTimer clock;
            clock.start();
            window.frm.cmdStart_Click();
            took = clock.elapsed();
            if (directoryHeld) QVERIFY(lock.exec("ROLLBACK"));
            QVERIFY(window.notifier.messages.isEmpty() && window.notifier.questions.isEmpty());
        }
        QSqlDatabase::removeDatabase("writer");
        QVERIFY(startDisabled);
        QVERIFY2(took >= exitAfterMs && took < exitAfterMs + 4000,
                 qPrintable(QString("took %1 ms").arg(took)));
        QVERIFY2(ticks >= exitAfterMs / 100,
                 qPrintable(QString("the window's timer ran %1 times").arg(ticks)));
        QVERIFY(!QFile::exists(output));
        const QByteArray log = fileContents(m_home.filePath("BrindleErrors.log"));
        QVERIFY2(
            log.trimmed().endsWith("stopped by the window's Exit before its end; no output file was written"),
            log.right(200).constData());
        // The statement given up on still ends once the writer lets go, and its connection closes.
        QTRY_VERIFY(QSqlDatabase::connectionNames().filter("brindle-directory").isEmpty());
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
