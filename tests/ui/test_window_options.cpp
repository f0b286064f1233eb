// The main window's side roads, offscreen: choosing the output file, its shape, the type box's
// count after a language switch, and what a run locks while it goes.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "hostbuilder/host_builder.h"
#include "hostbuilder/sample_host.h"
#include "localize/localizer.h"
#include "support/recording_notifier.h"
#include "support/run_config.h"
#include "ui/frm_main.h"

using namespace brindle;
using brindle::fixture::HostBuilder;

namespace {

int twips(int pixels) {
    return pixels * 15;
}

// The window's height as the host platform counts it: title bar, menu and borders included,
// 705 twips above the area below the menu.
int windowHeight(const FrmMain& window) {
    return twips(window.height() - window.menuBar()->height()) + 705;
}

}  // namespace

class WindowOptionsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_host;
    QTemporaryDir m_home;

    RunConfig config() const { return testing::runConfigFor(m_host.path(), m_home.path()); }

    struct Window {
        testing::RecordingNotifier notifier{true};
        Localizer strings{&notifier};
        FrmMain frm;
        explicit Window(const RunConfig& config) : frm(config, strings, notifier) {
            if (!frm.Form_Load()) qFatal("the main window did not load");
        }
        template <typename T>
        T* find(const char* name) {
            return frm.findChild<T*>(name);
        }
    };

private slots:
    void initTestCase() {
        HostBuilder host;
        for (const char* alias : {"jsmith", "akim", "lee"}) host.subscriber(alias);
        QVERIFY(host.write(m_host.path()).ok());
    }

    void browseTakesOnlyANameThatCanBeWritten_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("accepted");
        QTest::addRow("cancelled") << "" << false;
        QTest::addRow("three characters") << "/ab" << false;
        QTest::addRow("an existing file") << "%home/existing.csv" << true;
        QTest::addRow("a new name") << "%home/new.csv" << true;
        QTest::addRow("a folder") << "%home" << false;
        QTest::addRow("a folder that cannot be written") << "/proc/brindle.csv" << false;
        QTest::addRow("a missing folder") << "%home/no/such/out.csv" << false;
    }
    void browseTakesOnlyANameThatCanBeWritten() {
        QFETCH(QString, chosen);
        QFETCH(bool, accepted);
        chosen.replace("%home", m_home.path());
        QFile existing(m_home.filePath("existing.csv"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("yesterday\r\n");
        existing.close();
        Window window(config());
        auto* path = window.find<QLineEdit>("txtOutputPath");
        const QString before = path->text();
        QString asked;
        window.frm.setFileChooser([&](const QString& title, const QString&) {
            asked = title;
            return chosen;
        });
        window.frm.cmdBrowse_Click();
        QCOMPARE(asked, QString("Select Location of Output File"));
        QCOMPARE(path->text(), accepted ? chosen : before);
        const bool refused = !accepted && !chosen.isEmpty();
        QCOMPARE(window.notifier.messages, refused ? QStringList{"Invalid file name!"} : QStringList());
        QCOMPARE(QFile::exists(m_home.filePath("new.csv")), false);
        QFile kept(m_home.filePath("existing.csv"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("yesterday\r\n"));
    }

    void keepsItsWidthAndGivesTheListEveryExtraLine() {
        Window window(config());
        window.frm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.frm));
        window.frm.resize(100, 100);
        QCOMPARE(twips(window.frm.width()), 5280);
        QVERIFY(qAbs(windowHeight(window.frm) - 6525) < 15);
        window.frm.resize(900, 760);
        const int height = windowHeight(window.frm);
        QCOMPARE(twips(window.frm.width()), 5280);
        auto* frame = window.find<QGroupBox>("frameListBox");
        auto* list = window.find<QListWidget>("lstDataItems");
        auto* progress = window.find<QGroupBox>("frameProgress");
        auto* start = window.find<QPushButton>("cmdStart");
        // The designed distances, read back in twips to within a pixel's rounding.
        QVERIFY(qAbs(twips(frame->height()) - (height - 5370)) < 15);
        QVERIFY(qAbs(twips(list->height()) - (height - 5370 - 405)) < 15);
        QVERIFY(qAbs(twips(progress->y()) - twips(frame->geometry().bottom() + 1) - 105) < 15);
        QVERIFY(qAbs(twips(start->y()) - (height - 1200)) < 15);
        QCOMPARE(window.find<QPushButton>("cmdExit")->y(), start->y());
        QVERIFY(start->geometry().bottom() < window.frm.centralWidget()->height());
        QVERIFY(list->geometry().bottom() < frame->height());
        QVERIFY(window.frm.grab().save(QDir(qEnvironmentVariable("BRINDLE_SCREENSHOT_DIR", "screenshots"))
                                           .filePath("main-window-tall.png")));
    }

    void maximizingGivesATallNormalWindowAtTheTopLeft() {
        Window window(config());
        window.frm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.frm));
        window.frm.showMaximized();
        const QRect screen = window.frm.screen()->availableGeometry();
        QTRY_VERIFY(!window.frm.isMaximized() && window.frm.height() == screen.height());
        QCOMPARE(window.frm.pos(), screen.topLeft());
        QCOMPARE(twips(window.frm.width()), 5280);
    }

    void aLanguageSwitchReadsTheCountAgain() {
        Window window(config());
        auto* count = window.find<QLabel>("lblSubscriberCount");
        QCOMPARE(count->text(), QString("3"));
        window.frm.frmMain_Auto_Init();
        QCOMPARE(count->text(), QString("3"));  // not shown yet: nothing is read
        window.frm.show();
        window.frm.frmMain_Auto_Init();
        QCOMPARE(count->text(), QString(" 3"));
        QVERIFY(window.find<QPushButton>("cmdStart")->isEnabled());
    }

    void anEmptySubscriberViewDisablesStartAfterASwitch() {
        QTemporaryDir empty;
        QVERIFY(HostBuilder().write(empty.path()).ok());
        Window window(testing::runConfigFor(empty.path(), m_home.path()));
        window.frm.show();
        window.frm.frmMain_Auto_Init();
        QCOMPARE(window.find<QLabel>("lblSubscriberCount")->text(), QString(" 0"));
        QVERIFY(!window.find<QPushButton>("cmdStart")->isEnabled());
    }

    void aRunLocksItsOptionsAndSaysWhenNothingCanShowTheFiles() {
        QTemporaryDir bigHost;
        HostBuilder builder;
        fixture::generateSample(builder, 1500, 3);
        QVERIFY(builder.write(bigHost.path()).ok());
        Window window(testing::runConfigFor(bigHost.path(), m_home.path()));
        window.find<QListWidget>("lstDataItems")->item(0)->setSelected(true);
        const QString output = m_home.filePath("locked.csv");
        window.find<QLineEdit>("txtOutputPath")->setText(output);
        QList<bool> enabledDuringRun;
        QTimer::singleShot(0, &window.frm, [&] {
            for (const char* name :
                 {"lstDataItems", "cmdBrowse", "frameSeperateWith", "frameUseQuotes", "cmbSubscriberType"})
                enabledDuringRun << window.frm.findChild<QWidget*>(name)->isEnabled();
        });
        window.frm.cmdStart_Click();
        // The subscriber type too: switching it reads the subscribers again, under the run.
        QCOMPARE(enabledDuringRun, QList<bool>(5, false));
        QVERIFY(window.find<QListWidget>("lstDataItems")->isEnabled());
        QVERIFY(window.find<QPushButton>("cmdBrowse")->isEnabled());
        // Offscreen there is no application to show a file: the user is told where it is.
        const QString log = QDir(m_home.path()).filePath("BrindleErrors.log");
        QCOMPARE(window.notifier.messages.size(), 2);
        QVERIFY(window.notifier.messages[0].contains(log));
        QVERIFY(window.notifier.messages[1].contains(output));
    }

    // A writer holds the directory: the run waits for it, and meanwhile the window goes on
    // taking events, Exit among them, which ends the wait at once.
    void exitEndsARunThatWaitsForTheDirectory() {
        const QString output = m_home.filePath("waiting.csv");
        qint64 took = 0;
        int ticks = 0;
        {
            RunConfig waiting = config();
            waiting.directoryTimeoutSeconds = 30;
            Window window(waiting);
            QListWidget* items = window.find<QListWidget>("lstDataItems");
            for (int row = 0; row < items->count(); ++row) items->item(row)->setSelected(true);
            window.find<QLineEdit>("txtOutputPath")->setText(output);

            QSqlDatabase writer = QSqlDatabase::addDatabase("QSQLITE", "writer");
            writer.setDatabaseName(m_host.filePath("HalvernDirDB.db"));
            QVERIFY(writer.open());
            QSqlQuery lock(writer);
            QVERIFY(lock.exec("BEGIN EXCLUSIVE"));
            QTimer timer;
            connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
            timer.start(50);
            QTimer::singleShot(1000, &window.frm, [&window] { window.frm.ExitApplication(); });
            QElapsedTimer clock;
            clock.start();
            window.frm.cmdStart_Click();
            took = clock.elapsed();
            QVERIFY(lock.exec("ROLLBACK"));
            QVERIFY(window.notifier.messages.isEmpty());
        }
        QSqlDatabase::removeDatabase("writer");
        QVERIFY2(took >= 1000 && took < 5000, qPrintable(QString("the run took %1 ms").arg(took)));
        QVERIFY2(ticks >= 10, qPrintable(QString("the window's timer ran %1 times").arg(ticks)));
        QVERIFY(!QFile::exists(output));
        QFile logFile(m_home.filePath("BrindleErrors.log"));
        QVERIFY(logFile.open(QIODevice::ReadOnly));
        const QByteArray log = logFile.readAll();
        QVERIFY2(
            log.trimmed().endsWith("stopped by the window's Exit before its end; no output file was written"),
            log.right(200).constData());
        // The statement given up on still ends once the writer lets go, and its connection closes.
        QTRY_VERIFY(QSqlDatabase::connectionNames().filter("brindle-directory").isEmpty());
    }
};

QTEST_MAIN(WindowOptionsTest)
#include "test_window_options.moc"
