#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "localize/localizer.h"
#include "startup/startup.h"
#include "support/recording_notifier.h"
#include "support/run_config.h"

using namespace brindle;
using brindle::fixture::HostBuilder;
using Reason = brindle::StartupRefusal::Reason;

Q_DECLARE_METATYPE(Reason)

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    // What is wrong with the host, the reason start-up gives and what its message holds; a fit
    // host (its reason unused) opens with its subscriber count.
    void refusesAnUnfitHostWithItsMessage_data() {
        QTest::addColumn<Reason>("reason");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* change, Reason reason, const char* message) {
            QTest::newRow(change) << reason << QString(message);
        };
        const char* mustRun = "Halvern must be running.  Please start Halvern and try again.";
        const char* unsupported = "This version of Brindle only works with Kestrom Pellinor 1.1 and later.";
        const char* noDatabase = "Could not open database.  Make sure you're running Halvern 3.0(1) or later";
        row("host stopped", Reason::HostNotRunning, mustRun);
        row("no status", Reason::HostNotRunning, mustRun);
        row("older generation", Reason::UnsupportedHost, unsupported);
        row("no version keys", Reason::UnsupportedHost, unsupported);
        row("malformed registry", Reason::BadRegistry, "line 1: ");
        row("no database", Reason::NoDatabase, noDatabase);
        row("no extension view", Reason::NoDatabase, noDatabase);
        row("a second start on the same host", Reason::SecondCopy, "");
        row("a fit host", Reason::NoHome, "opened with 2 subscribers");
    }
    void refusesAnUnfitHostWithItsMessage() {
        QFETCH(Reason, reason);
        QFETCH(QString, message);
        const QString change = QTest::currentDataTag();
        HostBuilder host;
        host.subscriber("jsmith");
        host.subscriber("akim");
        if (change == "host stopped") host.status(4);
        if (change == "no status") host.status(std::nullopt);
        if (change == "older generation") host.withoutMakerKey().olderKey(0x30001, 0x7B);
        if (change == "no version keys") host.withoutMakerKey();
        if (change == "malformed registry") host.registryText("not a registry\r\n");
        if (change == "no database") host.withoutDirectoryDatabase();
        if (change == "no extension view") host.withoutView("vw_DTMFAccessID");
        QTemporaryDir folder;
        QVERIFY(host.write(folder.path()).ok());
        testing::RecordingNotifier notifier;
        const Localizer strings(&notifier);
        const RunConfig config = testing::runConfigFor(folder.path());
        const StartupOutcome earlier =
            reason == Reason::SecondCopy ? runStartup(config, strings, notifier) : StartupOutcome{};
        const StartupOutcome outcome = runStartup(config, strings, notifier);
        QCOMPARE(notifier.messages, QStringList());
        if (outcome.session) {
            QCOMPARE(QString("opened with %1 subscribers").arg(outcome.session->subscriberCount), message);
            return;
        }
        QVERIFY(outcome.refusal.has_value());
        QCOMPARE(outcome.refusal->reason, reason);
        const QString said = outcome.refusal->message;
        QVERIFY2(message.isEmpty() ? said.isEmpty() : said.contains(message), qPrintable(said));
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "test_startup.moc"
