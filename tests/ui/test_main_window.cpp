#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
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

const QStringList kListEntries{"Alias",
                               "First Name",
                               "Last Name",
                               "Display Name",
                               "Primary Extension",
                               "All Alternate Extensions",
                               "Switch ID",
                               "Primary MWI String",
                               "All Alternate MWI Strings",
                               "COS Name",
                               "Schedule Name",
                               "Billing ID",
                               "Language",
                               "List In Directory",
                               "Set for First Time Enrollment",
                               "Maximum Message Length",
                               "Time of Last Call",
                               "MWI Status",
                               "Subscriber Lockout Status",
                               "Default Playback Volume",
                               "Voice Name Recorded",
                               "Time of last password change",
                               "Date of subscriber creation",
                               "Mailbox bytes in use",
                               "Mailbox send limit (bytes)",
                               "Mailbox receive limit (bytes)",
                               "Mailbox warning size (bytes)",
                               "Greetings Enabled",
                               "Caller Input Key Actions",
                               "Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)",
                               "Voice Name WAV File ([Primary Extension].WAV)"};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_host;
    QTemporaryDir m_home;

    // Each window holds the host's single-copy lock; only one lives at a time here.
    std::unique_ptr<FrmMain> startWindow(testing::RecordingNotifier& notifier, Localizer& strings,
                                         const QString& host = {}) {
        auto window = std::make_unique<FrmMain>(
            testing::runConfigFor(host.isEmpty() ? m_host.path() : host, m_home.path()), strings, notifier);
        if (!window->Form_Load()) return nullptr;
        return window;
    }

private slots:
    void initTestCase() {
        HostBuilder host;
        host.subscriber("jsmith");
        host.subscriber("akim");
        host.subscriber("nocos").set("COSObjectID", "missing-cos");
        QVERIFY(host.write(m_host.path()).ok());
    }

    void showsCountAndTheThirtyOneItemsAfterStartUp() {
        testing::RecordingNotifier notifier;
        Localizer strings(&notifier);
        auto window = startWindow(notifier, strings);
        QVERIFY(window);
        QCOMPARE(window->findChild<QLabel*>("lblSubscriberCount")->text(), QStringLiteral("3"));
        QCOMPARE(window->findChild<QProgressBar*>("ProgressBar")->maximum(), 3);
        auto* list = window->findChild<QListWidget*>("lstDataItems");
        QStringList entries;
        for (int i = 0; i < list->count(); ++i) entries << list->item(i)->text();
        QCOMPARE(entries, kListEntries);
        QVERIFY(list->selectedItems().isEmpty());
        QCOMPARE(window->windowTitle(), QStringLiteral("Brindle"));
        QCOMPARE(window->findChild<QLineEdit*>("txtOutputPath")->text(),
                 QDir(m_home.path()).filePath("Brindle.CSV"));
        QVERIFY(window->findChild<QRadioButton*>("optSeperateWithCommas")->isChecked());
        QVERIFY(window->findChild<QRadioButton*>("optQuotesWhenCommaPresent")->isChecked());
        QVERIFY(!window->findChild<QGroupBox*>("frameSubscriberType")->isVisibleTo(window.get()));
        QVERIFY(notifier.messages.isEmpty());
    }

    void placesControlsWhereTheWindowWasDesigned_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        // Twips divided by 15, relative to each control's container.
        QTest::addRow("cmdStart") << "cmdStart" << QRect(4, 432, 73, 33);
        QTest::addRow("cmdExit") << "cmdExit" << QRect(268, 432, 73, 33);
        QTest::addRow("lstDataItems") << "lstDataItems" << QRect(8, 20, 321, 154);
        QTest::addRow("txtOutputPath") << "txtOutputPath" << QRect(4, 24, 253, 19);
        QTest::addRow("frameListBox") << "frameListBox" << QRect(4, 196, 337, 181);
    }
    void placesControlsWhereTheWindowWasDesigned() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        testing::RecordingNotifier notifier;
        Localizer strings(&notifier);
        FrmMain window(testing::runConfigFor(m_host.path(), m_home.path()), strings, notifier);
        auto* control = window.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), geometry);
    }

    void refusesToStartWithoutSelection() {
        testing::RecordingNotifier notifier;
        Localizer strings(&notifier);
        auto window = startWindow(notifier, strings);
        QVERIFY(window);
        window->cmdStart_Click();
        QCOMPARE(notifier.messages, QStringList{"No items selected for outport!"});
    }

    void exportsTheSelectionAndReportsTheErrorCount() {
        testing::RecordingNotifier notifier;
        Localizer strings(&notifier);
        auto window = startWindow(notifier, strings);
        QVERIFY(window);
        window->findChild<QListWidget*>("lstDataItems")->item(0)->setSelected(true);
        const QString output = QDir(m_home.path()).filePath("out.csv");
        window->findChild<QLineEdit*>("txtOutputPath")->setText(output);
        window->cmdStart_Click();
        QCOMPARE(
            notifier.questions,
            QStringList(
                {"Output complete.   1 error(s) encountered in process.  Press OK to view the error log now",
                 "View the CSV file now?"}));
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("ALIAS\r\njsmith\r\nakim\r\n"));
        QCOMPARE(window->findChild<QProgressBar*>("ProgressBar")->value(), 3);
        QVERIFY(window->findChild<QPushButton*>("cmdStart")->isEnabled());
    }

    void reportsNoErrorsWithThreeBlanksBeforeTheCount() {
        QTemporaryDir emptyHost;
        QVERIFY(HostBuilder().write(emptyHost.path()).ok());
        testing::RecordingNotifier notifier;
        Localizer strings(&notifier);
        auto window = startWindow(notifier, strings, emptyHost.path());
        QVERIFY(window);
        QCOMPARE(window->findChild<QLabel*>("lblSubscriberCount")->text(), QStringLiteral("0"));
        window->findChild<QListWidget*>("lstDataItems")->item(3)->setSelected(true);
        window->findChild<QLineEdit*>("txtOutputPath")->setText(QDir(m_home.path()).filePath("empty.csv"));
        window->cmdStart_Click();
        QCOMPARE(
            notifier.questions.value(0),
            QStringLiteral(
                "Output complete.   0 error(s) encountered in process.  Press OK to view the error log now"));
        QFile file(QDir(m_home.path()).filePath("empty.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("DISPLAY_NAME\r\n"));
    }

    void staysResponsiveAndExitStopsTheRunWithoutPartialFile() {
        QTemporaryDir bigHost;
        HostBuilder builder;
        fixture::generateSample(builder, 3000, 5);
        QVERIFY(builder.write(bigHost.path()).ok());
        testing::RecordingNotifier notifier;
        Localizer strings(&notifier);
        auto window = startWindow(notifier, strings, bigHost.path());
        QVERIFY(window);
        auto* list = window->findChild<QListWidget*>("lstDataItems");
        for (int row = 0; row < 16; ++row) list->item(row)->setSelected(true);
        const QString output = QDir(m_home.path()).filePath("stopped.csv");
        window->findChild<QLineEdit*>("txtOutputPath")->setText(output);

        bool clickedDuringRun = false;
        bool startWasDisabled = false;
        int progressWhenClicked = -1;
        QTimer::singleShot(0, window.get(), [&] {
            clickedDuringRun = true;
            startWasDisabled = !window->findChild<QPushButton*>("cmdStart")->isEnabled();
            progressWhenClicked = window->findChild<QProgressBar*>("ProgressBar")->value();
            QTest::mouseClick(window->findChild<QPushButton*>("cmdExit"), Qt::LeftButton);
        });
        window->cmdStart_Click();
        QVERIFY(clickedDuringRun);
        QVERIFY(startWasDisabled);
        // Before the first subscriber, on a slow machine, or anywhere before the last.
        QVERIFY(progressWhenClicked >= 0 && progressWhenClicked < 3000);
        QVERIFY(!QFile::exists(output));
        QVERIFY(notifier.questions.isEmpty());
    }

    void savesAScreenshot() {
        testing::RecordingNotifier notifier;
        Localizer strings(&notifier);
        auto window = startWindow(notifier, strings);
        QVERIFY(window);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QString folder =
            qEnvironmentVariable("BRINDLE_SCREENSHOT_DIR", QDir::currentPath() + "/screenshots");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(window->grab().save(QDir(folder).filePath("main-window.png")));
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
