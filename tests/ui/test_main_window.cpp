// The main window offscreen, on a host of three subscribers; one has no class of service, which
// the run logs as an error.
#include <QAction>
#include <QElapsedTimer>
#include <QFileInfo>
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

    // A loaded window. Each window holds the host's single-copy lock,
    // so only one lives at a time.
    struct Window {
        testing::RecordingNotifier notifier;
        Localizer strings{&notifier};
        QTemporaryDir packs;
        Languages languages{strings, packs.path(), "brindle", 1033, loadLanguagePack};
        FrmMain frm;
        // Messages and questions go to `shown` when given, else to `notifier`.
        explicit Window(const RunConfig& config, Notifier* shown = nullptr)
            : frm(config, strings, shown ? *shown : notifier) {
            frm.setLanguages(&languages);
            if (!frm.Form_Load()) qFatal("the main window did not load");
        }
        template <typename T = QWidget>
        T* find(const char* name) {
            return frm.findChild<T*>(name);
        }
        void choose(int firstItems, const QString& output) {
            for (int row = 0; row < firstItems; ++row)
                find<QListWidget>("lstDataItems")->item(row)->setSelected(true);
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

    void startRefusesWhatItCannotRun_data() {
        QTest::addColumn<int>("items");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("message");
        QTest::addRow("nothing selected") << 0 << "%home/none.csv"
                                          << "No items selected for outport!";
        QTest::addRow("an output that names a folder")
            << 1 << "%home/"
            << "the output path %home/ names a folder, not a file; nothing was written";
    }
    void startRefusesWhatItCannotRun() {
        QFETCH(int, items);
        QFETCH(QString, output);
        QFETCH(QString, message);
        Window window(config(m_host));
        window.choose(items, output.replace("%home", m_home.path()));
        window.frm.cmdStart_Click();
        QCOMPARE(window.notifier.messages, QStringList{message.replace("%home", m_home.path())});
        QVERIFY(window.notifier.questions.isEmpty());
        QVERIFY(!QFileInfo(output).isFile());
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
    // About, whose language switch would change the lines' columns part way. The end is told in
    // the program's message boxes, answered Cancel (no log) and Yes (show the output).
    void aRunLocksItsOptionsAndSaysWhenNothingCanShowTheFiles() {
        MessageBoxNotifier boxes;
        Window window(config(m_host), &boxes);
        const QString output = m_home.filePath("locked.csv");
        window.choose(1, output);
        const char* const locked[] = {"lstDataItems",      "cmdBrowse",      "txtOutputPath",
                                      "frameSeperateWith", "frameUseQuotes", "cmbSubscriberType",
                                      "cmdStart"};
        QList<bool> enabledDuringRun;
        QTimer::singleShot(0, &window.frm, [&] {
            for (const char* name : locked) enabledDuringRun << window.find(name)->isEnabled();
            enabledDuringRun << window.find<QAction>("About")->isEnabled();
        });
        QStringList shown;
        QTimer clicker;
        connect(&clicker, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !QTest::qWaitForWindowExposed(box)) return;
            shown << box->windowTitle() + ": " + box->text();
            QVERIFY(testing::saveScreenshot(*box, "message-box"));
            for (auto button : {QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::Ok}) {
                if (box->button(button)) return box->button(button)->click();
            }
        });
        clicker.start(20);
        window.frm.cmdStart_Click();
        QCOMPARE(enabledDuringRun, QList<bool>(std::size(locked) + 1, false));
        for (const char* name : locked) QVERIFY2(window.find(name)->isEnabled(), name);
        QVERIFY(window.find<QAction>("About")->isEnabled());
        // Offscreen there is no application to show a file: the user is told where it is.
        QCOMPARE(shown, QStringList({"Brindle: " + kOneError, "Brindle: View the CSV file now?",
                                     "Brindle: There is no application here to show " + output +
                                         "; open it yourself."}));
        QCOMPARE(fileContents(output), QByteArray("ALIAS\r\njsmith\r\nakim\r\n"));
    }

    // Meanwhile the window goes on taking events, Exit among them, which ends the run at once,
    // also while a writer holds the directory and the run waits for it. Last: Exit ends every
    // later event loop, a message box's too, at once.
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
        bool startDisabled = false;
        {
            RunConfig waiting = config(m_host);
            waiting.directoryTimeoutSeconds = 30;
            Window window(waiting);
            window.choose(int(dataItems().size()), output);
            QSqlDatabase writer = QSqlDatabase::addDatabase("QSQLITE", "writer");
            writer.setDatabaseName(m_host.filePath("HalvernDirDB.db"));
            QVERIFY(writer.open());
            QSqlQuery lock(writer);
            if (directoryHeld) QVERIFY(lock.exec("BEGIN EXCLUSIVE"));
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
        QVERIFY(startDisabled);  // clicked during the run: the window took events meanwhile
        QVERIFY2(took >= exitAfterMs && took < exitAfterMs + 4000, qPrintable(QString::number(took)));
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
