#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "localize/localizer.h"
#include "startup/startup.h"
#include "support/recording_notifier.h"
#include "support/run_config.h"

using namespace brindle;
using brindle::fixture::HostBuilder;

namespace {

enum class HostChange {
    None,
    StatusStopped,
    NoStatusFile,
    OnlyOlderKey,
    NoKeys,
    NoDatabase,
    NoExtensionView
};

HostBuilder hostWith(HostChange change) {
    HostBuilder host;
    host.subscriber("jsmith");
    host.subscriber("akim");
    switch (change) {
        case HostChange::None:
            break;
        case HostChange::StatusStopped:
            host.status(4);
            break;
        case HostChange::NoStatusFile:
            host.status(std::nullopt);
            break;
        case HostChange::OnlyOlderKey:
            host.withoutMakerKey().olderKey(0x30001, 0x7B);
            break;
        case HostChange::NoKeys:
            host.withoutMakerKey();
            break;
        case HostChange::NoDatabase:
            host.withoutDirectoryDatabase();
            break;
        case HostChange::NoExtensionView:
            host.withoutView("vw_DTMFAccessID");
            break;
    }
    return host;
}

const QString kHostMustRun = QStringLiteral("Halvern must be running.  Please start Halvern and try again.");
const QString kUnsupported =
    QStringLiteral("This version of Brindle only works with Kestrom Pellinor 1.1 and later.");
const QString kNoDatabase =
    QStringLiteral("Could not open database.  Make sure you're running Halvern 3.0(1) or later on the box.");

}  // namespace

Q_DECLARE_METATYPE(HostChange)
Q_DECLARE_METATYPE(StartupRefusal::Reason)

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void refusesAnUnfitHostWithItsMessage_data() {
        using Reason = StartupRefusal::Reason;
        QTest::addColumn<HostChange>("change");
        QTest::addColumn<Reason>("reason");
        QTest::addColumn<QString>("message");
        QTest::addRow("host stopped") << HostChange::StatusStopped << Reason::HostNotRunning << kHostMustRun;
        QTest::addRow("no status") << HostChange::NoStatusFile << Reason::HostNotRunning << kHostMustRun;
        QTest::addRow("older generation")
            << HostChange::OnlyOlderKey << Reason::UnsupportedHost << kUnsupported;
        QTest::addRow("no version keys") << HostChange::NoKeys << Reason::UnsupportedHost << kUnsupported;
        QTest::addRow("no database") << HostChange::NoDatabase << Reason::NoDatabase << kNoDatabase;
        QTest::addRow("no extension view")
            << HostChange::NoExtensionView << Reason::NoDatabase << kNoDatabase;
    }
    void refusesAnUnfitHostWithItsMessage() {
        QFETCH(HostChange, change);
        QFETCH(StartupRefusal::Reason, reason);
        QFETCH(QString, message);
        QTemporaryDir folder;
        QVERIFY(hostWith(change).write(folder.path()).ok());
        testing::RecordingNotifier notifier;
        Localizer strings(&notifier);

        const StartupOutcome outcome = runStartup(testing::runConfigFor(folder.path()), strings, notifier);
        QVERIFY(!outcome.session);
        QVERIFY(outcome.refusal.has_value());
        QCOMPARE(outcome.refusal->reason, reason);
        QCOMPARE(outcome.refusal->message, message);
    }

    void namesTheLineOfAMalformedRegistry() {
        QTemporaryDir folder;
        QVERIFY(hostWith(HostChange::None).registryText("not a registry\r\n").write(folder.path()).ok());
        testing::RecordingNotifier notifier;
        const Localizer strings(&notifier);
        const StartupOutcome outcome = runStartup(testing::runConfigFor(folder.path()), strings, notifier);
        QVERIFY(outcome.refusal.has_value());
        QCOMPARE(outcome.refusal->reason, StartupRefusal::Reason::BadRegistry);
        QVERIFY2(outcome.refusal->message.contains("line 1"), qPrintable(outcome.refusal->message));
    }

    void goodStartOpensTablesAndCountsSubscribers() {
        QTemporaryDir folder;
        QVERIFY(hostWith(HostChange::None).write(folder.path()).ok());
        testing::RecordingNotifier notifier;
        const Localizer strings(&notifier);
        const StartupOutcome outcome = runStartup(testing::runConfigFor(folder.path()), strings, notifier);
        QVERIFY(!outcome.refusal.has_value());
        QVERIFY(outcome.session->tables.isOpen());
        QCOMPARE(outcome.session->subscriberCount, 2);
        QCOMPARE(outcome.session->hostVersion.VersionText, QStringLiteral("4.0(3.125)"));
        QVERIFY(notifier.messages.isEmpty());
    }

    void secondStartOnTheSameHostIsRefusedSilently() {
        QTemporaryDir folder;
        QVERIFY(hostWith(HostChange::None).write(folder.path()).ok());
        testing::RecordingNotifier notifier;
        Localizer strings(&notifier);
        const StartupOutcome first = runStartup(testing::runConfigFor(folder.path()), strings, notifier);
        QVERIFY(first.session);
        const StartupOutcome second = runStartup(testing::runConfigFor(folder.path()), strings, notifier);
        QVERIFY(second.refusal.has_value());
        QCOMPARE(second.refusal->reason, StartupRefusal::Reason::SecondCopy);
        QVERIFY(second.refusal->message.isEmpty());
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "test_startup.moc"
