// The main window and its About window offscreen, on a host of three subscribers (one has no
// class of service, which the run logs as an error), with the language packs the build makes.
#include <QAction>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "hostbuilder/host_builder.h"
#include "localize/language_pack.h"
#include "localize/languages.h"
#include "localize/localizer.h"
#include "support/files.h"
#include "support/recording_notifier.h"
#include "support/run_config.h"
#include "support/screenshots.h"
#include "ui/frm_about.h"
#include "ui/frm_main.h"
#include "ui/language_fonts.h"
#include "ui/message_box_notifier.h"

using namespace brindle;
using testing::fileContents;
using Menu = QList<std::pair<QString, QString>>;

namespace {

QString builtPack(const QString& code) {
    return qEnvironmentVariable("BRINDLE_BIN_DIR") + "/Brindle_" + code + ".dll";
}

// The text of the built pack of `code`, or the built-in English one for an empty code.
QString packText(const QString& code, int id) {
    if (code.isEmpty()) return Localizer().myLoadResString(id);
    const auto pack = loadLanguagePack(builtPack(code));
    return pack ? pack->text(id).value_or(QString()) : QString("(no pack)");
}

// A loaded main window with the built packs of `packs` beside the program. Each window holds
// the host's single-copy lock, so only one lives at a time.
struct Window {
    testing::RecordingNotifier notifier;
    Localizer strings{&notifier};
    QTemporaryDir packs;
    Languages languages;
    FrmMain frm;

    // Messages and questions go to `shown` when given, else to `notifier`.
    Window(const RunConfig& config, const QStringList& codes = {}, int userDefault = 1033,
           Notifier* shown = nullptr)
        : languages(strings, copyPacks(codes), "brindle", userDefault, loadLanguagePack),
          frm(config, strings, shown ? *shown : notifier) {
        frm.setLanguages(&languages);
        if (!frm.Form_Load()) qFatal("the main window did not load");
    }
    QString copyPacks(const QStringList& codes) {
        for (const QString& code : codes)
            QFile::copy(builtPack(code), packs.filePath("brindle_" + code + ".dll"));
        return packs.path();
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

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_host;
    QTemporaryDir m_emptyHost;
    QTemporaryDir m_home;

    RunConfig config(const QTemporaryDir& host) const {
        return testing::runConfigFor(host.path(), m_home.path());
    }
    RunConfig config() const { return config(m_host); }

private slots:
    void initTestCase() {
        if (!QFile::exists(builtPack("DEU"))) QSKIP("the language packs have not been built");
        fixture::HostBuilder host;
        host.subscriber("jsmith");
        host.subscriber("akim");
        host.subscriber("nocos").set("COSObjectID", "missing-cos");
        QVERIFY(host.write(m_host.path()).ok());
        QVERIFY(fixture::HostBuilder().write(m_emptyHost.path()).ok());
    }

    // Until the window is shown, the subscriber type box's refill after a language switch
    // reads nothing; with no subscribers there is nothing to start.
    void showsTheHostAndTheDefaultsAfterStartUp_data() {
        QTest::addColumn<bool>("empty");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("count");
        QTest::addRow("not shown") << false << false << "3";
        QTest::addRow("shown") << false << true << " 3";
        QTest::addRow("shown, no subscribers") << true << true << " 0";
    }
    void showsTheHostAndTheDefaultsAfterStartUp() {
        QFETCH(bool, empty);
        QFETCH(bool, shown);
        QFETCH(QString, count);
        Window window(config(empty ? m_emptyHost : m_host));
        if (shown) window.frm.show();
        if (shown && !empty) QVERIFY(testing::saveScreenshot(window.frm, "main-window"));
        window.frm.frmMain_Auto_Init();
        QCOMPARE(window.find<QLabel>("lblSubscriberCount")->text(), count);
        // Nothing to count is drawn as an empty bar, not a busy one.
        auto* bar = window.find<QProgressBar>("ProgressBar");
        QProgressBar idle;
        idle.setRange(0, 1);
        idle.setTextVisible(false);
        idle.resize(bar->size());
        const auto picture = [](QWidget& widget) {
            return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        if (empty) QCOMPARE(picture(*bar), picture(idle));
        QCOMPARE(window.find("cmdStart")->isEnabled(), !empty);
        QCOMPARE(window.find<QLineEdit>("txtOutputPath")->text(), m_home.filePath("Brindle.CSV"));
        QVERIFY(window.notifier.messages.isEmpty());
    }

    // The designed measures count the menu bar from the first showing on; maximized, the window
    // stays one width and goes to the screen's top left, as tall as the screen, frame included.
    void keepsItsShapeOnTheScreen_data() {
        QTest::addColumn<bool>("maximize");
        QTest::addRow("as it starts") << false;
        QTest::addRow("maximized from elsewhere") << true;
    }
    void keepsItsShapeOnTheScreen() {
        QFETCH(bool, maximize);
        Window window(config());
        window.frm.move(300, 200);
        window.frm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.frm));
        auto* list = window.find("lstDataItems");
        QCOMPARE(list->height(), 154);
        const int openingHeight = window.frm.height();
        if (maximize) {
            window.frm.showMaximized();
            const QRect screen = window.frm.screen()->availableGeometry();
            QTRY_COMPARE(window.frm.frameGeometry().topLeft(), screen.topLeft());
            QTRY_COMPARE(window.frm.frameGeometry().height(), screen.height());
            QVERIFY(!window.frm.isMaximized());
            QVERIFY(qAbs(list->height() - 154 - (window.frm.height() - openingHeight)) <= 1);
        }
        QCOMPARE(window.frm.width(), 352);
        const QWidget* exit = window.find("cmdExit");
        QVERIFY(window.frm.rect().contains(QRect(exit->mapTo(&window.frm, QPoint()), exit->size())));
        for (const QGroupBox* frame : window.frm.findChildren<QGroupBox*>()) {
            if (frame->isVisible())
                for (const QWidget* control : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                    QVERIFY2(frame->contentsRect().contains(control->geometry()),
                             qPrintable(control->objectName()));
        }
    }

    // Over the window and inside the screen, even where centring it would cross the screen's
    // bottom right corner.
    void helpOpensOverTheWindowInsideTheScreenAndClosesWithEsc() {
        Window window(config());
        window.frm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.frm));
        const QRect screen = window.frm.screen()->availableGeometry();
        window.frm.move(screen.right() - 100, screen.bottom() - 200);
        window.frm.mnuHelp_Click();
        auto* help = window.frm.findChild<QWidget*>("frmHelp");
        QVERIFY(QTest::qWaitForWindowExposed(help));
        QVERIFY2(screen.contains(help->frameGeometry()), qPrintable(QDebug::toString(help->frameGeometry())));
        help->close();
        help->resize(200, 150);  // small enough to be centred without touching an edge
        window.frm.move(screen.topLeft() + QPoint(40, 30));
        window.frm.mnuHelp_Click();
        QCOMPARE(help->frameGeometry().center(), window.frm.frameGeometry().center());
        QTest::keyClick(help, Qt::Key_Escape);
        QVERIFY(!help->isVisible());
    }

    // A workbook has no separator, quoting or encoding: Browse offers both kinds of file, the
    // choices follow the path's ending, and the run writes the kind the path names.
    void theChoicesFollowTheKindOfFile() {
        Window window(config());
        window.frm.show();
        QString kinds;
        window.frm.setFileChooser([&](const QString&, const QString&, const QString& offered) {
            kinds = offered;
            return m_home.filePath("book.XLSX");
        });
        window.frm.cmdBrowse_Click();
        QVERIFY2(kinds.startsWith("Delimited text (*.csv *.txt);;Excel workbook (*.xlsx)"),
                 qPrintable(kinds));
        const auto offered = [&] {
            return QList<bool>{window.find("frameSeperateWith")->isEnabled(),
                               window.find("frameUseQuotes")->isEnabled(),
                               window.find<QMenu>("mnuTextEncoding")->isEnabled()};
        };
        QCOMPARE(offered(), QList<bool>(3, false));
        QVERIFY(testing::saveScreenshot(window.frm, "workbook-path"));
        window.choose(1, m_home.filePath("book.XLSX"));
        window.frm.cmdStart_Click();
        QVERIFY(fileContents(m_home.filePath("book.XLSX")).startsWith("PK"));
        QCOMPARE(offered(), QList<bool>(3, false));  // the run's end leaves them so
        window.find<QLineEdit>("txtOutputPath")->setText(m_home.filePath("book.csv"));
        QCOMPARE(offered(), QList<bool>(3, true));
    }

    // The File menu's text encoding reaches the file.
    void theChosenEncodingReachesTheFile() {
        Window window(config());
        window.find<QAction>("mnuEncodingUtf8Bom")->trigger();
        window.choose(1, m_home.filePath("marked.csv"));
        window.frm.cmdStart_Click();
        QCOMPARE(fileContents(m_home.filePath("marked.csv")), QByteArray("\xEF\xBB\xBF"
                                                                         "ALIAS\r\njsmith\r\nakim\r\n"));
    }

    // Browse takes a chosen name only when it can be written, found out without harm; Start
    // shows why the run refused. Either leaves yesterday's file as it was.
    void refusesWhatItCannotWrite_data() {
        QTest::addColumn<bool>("browse");  // else Start, with the first item
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");  // empty: none
        const QString invalid = "Invalid file name!", none;
        QTest::addRow("browse, cancelled") << true << none << none;
        QTest::addRow("browse, three characters") << true << "/ab" << invalid;
        QTest::addRow("browse, an existing file") << true << "%home/existing.csv" << none;
        QTest::addRow("browse, a new name") << true << "%home/new.csv" << none;
        QTest::addRow("browse, a folder") << true << "%home" << invalid;
        QTest::addRow("browse, a missing folder") << true << "%home/no/such/out.csv" << invalid;
        const QString folder = "the output path %home/ names a folder, not a file; nothing was written";
        QTest::addRow("start, an output that names a folder") << false << "%home/" << folder;
    }
    void refusesWhatItCannotWrite() {
        QFETCH(bool, browse);
        QFETCH(QString, path);
        QFETCH(QString, message);
        path.replace("%home", m_home.path());
        message.replace("%home", m_home.path());
        QVERIFY(testing::writeFile(m_home.filePath("existing.csv"), "yesterday\r\n"));
        Window window(config());
        const QString before = window.find<QLineEdit>("txtOutputPath")->text();
        window.frm.setFileChooser([&](const QString&, const QString&, const QString&) { return path; });
        window.choose(browse ? 0 : 1, browse ? before : path);
        browse ? window.frm.cmdBrowse_Click() : window.frm.cmdStart_Click();
        const bool kept = browse && (path.isEmpty() || !message.isEmpty());
        QCOMPARE(window.find<QLineEdit>("txtOutputPath")->text(), kept ? before : path);
        QCOMPARE(window.notifier.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QVERIFY(window.notifier.questions.isEmpty() && window.find("cmdStart")->isEnabled());
        QVERIFY(!QFile::exists(m_home.filePath("new.csv")));
        QCOMPARE(fileContents(m_home.filePath("existing.csv")), QByteArray("yesterday\r\n"));
    }

    // The subscriber type too: switching it reads the subscribers again, under the run; and
    // About, whose language switch would change the lines' columns part way. The end is told in
    // the program's message boxes, answered Cancel (no log) and Yes (show the output).
    void aRunLocksItsOptionsAndSaysWhenNothingCanShowTheFiles() {
        MessageBoxNotifier boxes;
        Window window(config(), {}, 1033, &boxes);
        const QString output = m_home.filePath("locked.csv");
        window.choose(2, output);
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
        QCOMPARE(
            shown,
            QStringList({"Brindle: Output complete.   1 error(s) encountered in process.  Press OK "
                         "to view the error log now",
                         "Brindle: View the CSV file now?",
                         "Brindle: There is no application here to show " + output + "; open it yourself."}));
        QCOMPARE(fileContents(output), QByteArray("ALIAS,FIRST_NAME\r\njsmith,Jsmith\r\nakim,Akim\r\n"));
    }

    // Meanwhile the window goes on taking events, Exit among them, which ends the run at once,
    // even while a writer holds the directory and the run waits for it. Last: Exit ends every
    // later event loop, a message box's too, at once.
    void exitStopsTheRunAndLeavesNoOutput_data() {
        QTest::addColumn<int>("exitAfterMs");
        QTest::addRow("while the directory is held") << 1000;
    }
    void exitStopsTheRunAndLeavesNoOutput() {
        QFETCH(int, exitAfterMs);
        const QString output = m_home.filePath("stopped.csv");
        qint64 took = 0;
        bool startDisabled = false;
        {
            RunConfig waiting = config();
            waiting.directoryTimeoutSeconds = 30;
            Window window(waiting);
            window.choose(window.find<QListWidget>("lstDataItems")->count(), output);
            QSqlDatabase writer = QSqlDatabase::addDatabase("QSQLITE", "writer");
            writer.setDatabaseName(m_host.filePath("HalvernDirDB.db"));
            QVERIFY(writer.open());
            QSqlQuery lock(writer);
            QVERIFY(lock.exec("BEGIN EXCLUSIVE"));
            QTimer::singleShot(exitAfterMs, &window.frm, [&] {
                startDisabled = !window.find("cmdStart")->isEnabled();
                QTest::mouseClick(window.find<QPushButton>("cmdExit"), Qt::LeftButton);
            });
            QElapsedTimer clock;
            clock.start();
            window.frm.cmdStart_Click();
            took = clock.elapsed();
            QVERIFY(lock.exec("ROLLBACK"));
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

    // A Japanese user's windows open in the font of that language and leave it with the switch.
    // The list keeps its English texts, which match an item again only once English is back:
    // until then its entries export nothing.
    void anAboutMenuEntrySwitchesEveryOpenWindowButTheList_data() {
        QTest::addColumn<QStringList>("packs");
        QTest::addColumn<int>("userDefault");
        QTest::addColumn<Menu>("menu");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("code");  // of the pack now in use; empty for English
        const Menu both{{"German (Germany)", " 1031"}, {"French (France)", " 1036"}};
        QTest::addRow("German") << QStringList{"DEU", "FRA"} << 1033 << both << 0 << "DEU";
        QTest::addRow("French, from Japanese") << QStringList{"DEU", "FRA"} << 1041 << both << 1 << "FRA";
        QTest::addRow("the only entry of one pack")
            << QStringList{"DEU"} << 1031 << Menu{{"Keine Sprachen geladen", "1033"}} << 0 << "";
    }
    void anAboutMenuEntrySwitchesEveryOpenWindowButTheList() {
        QFETCH(QStringList, packs);
        QFETCH(int, userDefault);
        QFETCH(Menu, menu);
        QFETCH(int, entry);
        QFETCH(QString, code);
        Window window(config(), packs, userDefault);
        auto* about = new FrmAbout(window.strings, window.languages, &window.frm);
        about->show();
        Menu shown;
        for (QAction* item : about->languageMenu()->actions())
            shown.append({item->text(), item->data().toString()});
        QCOMPARE(shown, menu);
        const QString ownFont = languageFontFamily(userDefault);
        for (QWidget* form : {static_cast<QWidget*>(&window.frm), static_cast<QWidget*>(about)}) {
            if (!ownFont.isEmpty()) QCOMPARE(form->findChildren<QLabel*>().first()->font().family(), ownFont);
        }
        auto* list = window.find<QListWidget>("lstDataItems");
        const QString firstName = list->item(1)->text();
        about->mnuLanguageList_Click(entry);
        QCOMPARE(window.find<QPushButton>("cmdExit")->text(), packText(code, 19));
        QCOMPARE(about->findChild<QPushButton*>("cmdOK")->text(), packText(code, 38));
        QCOMPARE(about->findChild<QLabel*>("lblChangeLanguage")->text(), packText(code, 11));
        QVERIFY(window.find("cmdStart")->font().family() != ownFont);
        QVERIFY(testing::saveScreenshot(*about, "about"));
        QCOMPARE(list->item(1)->text(), firstName);
        window.choose(0, m_home.filePath("switched.csv"));
        list->item(1)->setSelected(true);
        window.frm.cmdStart_Click();
        QCOMPARE(
            fileContents(m_home.filePath("switched.csv")),
            code.isEmpty() ? QByteArray("FIRST_NAME\r\nJsmith\r\nAkim\r\n") : QByteArray("\r\n\r\n\r\n"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
