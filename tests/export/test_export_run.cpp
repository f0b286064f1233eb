#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "export/catalogue.h"
#include "export/directory/cached_tables.h"
#include "export/directory/directory_connection.h"
#include "export/directory/make_lookup.h"
#include "export/export_run.h"
#include "hostbuilder/host_builder.h"
#include "localize/localizer.h"
#include "platform/exclusive_lock.h"
#include "support/run_config.h"

using namespace brindle;
using brindle::fixture::HostBuilder;

namespace {

const QString kNoHandler =
    QStringLiteral("(error) can't find primary call handler reference for this subscriber.  Skipping user.");
const QString kNoCos = QStringLiteral("(error) can't find COS reference for mail user.  Skipping user.");

class RecordingObserver final : public RunObserver {
public:
    explicit RecordingObserver(int stopBeforeSubscriber = -1) : m_stopAt(stopBeforeSubscriber) {}
    void progressed(int value) override { values << value; }
    std::optional<QString> stopRequested() override {
        if (m_asked++ != m_stopAt) return std::nullopt;
        return QStringLiteral("the export was stopped by the test");
    }
    QList<int> values;

private:
    int m_stopAt;
    int m_asked = 0;
};

// A host written once and opened as start-up opens it; runs exports into its folder.
class ExportFixture {
public:
    explicit ExportFixture(const HostBuilder& host) {
        const auto written = host.write(m_folder.filePath("host"));
        if (!written) qFatal("%s", qPrintable(written.error().message));
        auto connection =
            DirectoryConnection::openSqlite(*written + "/HalvernDirDB.db", *written + "/HalvernMbxDB1.db");
        if (!connection) qFatal("%s", qPrintable(connection.error().message));
        m_connection = std::move(connection).value();
        if (!m_tables.OpenDirectoryTables(*m_connection)) qFatal("tables");
    }

    QString path(const QString& name) const { return m_folder.filePath(name); }
    QString logPath() const { return m_logPath.isEmpty() ? path("errors.log") : m_logPath; }
    void setLogPath(const QString& logPath) { m_logPath = logPath; }

    Result<ExportSummary> run(ExportOptions options, RunObserver& observer,
                              const Localizer& strings = Localizer(), int progressMaximum = 100) {
        if (options.outputPath.isEmpty()) options.outputPath = path("out.csv");
        const auto lookup = makeDirectoryLookup(*m_connection, m_tables, testing::readerUnderTest());
        ExportEnvironment environment{m_tables, *lookup, strings, logPath(), "brindle"};
        environment.progressMaximum = progressMaximum;
        ExportRun run(std::move(environment), std::move(options));
        return run.run(observer);
    }

    Result<ExportSummary> run(const QStringList& entries, Separator separator = Separator::Commas) {
        RecordingObserver observer;
        return run(ExportOptions{{}, QuoteRule::WhenNeeded, separator, entries}, observer);
    }

private:
    QTemporaryDir m_folder;
    QString m_logPath;
    std::unique_ptr<DirectoryConnection> m_connection;
    CachedTables m_tables;
};

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A pack that gives two data items one label, as a careless translation might.
class SameLabelPack final : public StringSource {
public:
    std::optional<QString> text(int id) const override {
        if (id == 3 || id == 23) return QStringLiteral("Name");
        return std::nullopt;
    }
};

}  // namespace

class ExportRunTest : public QObject {
    Q_OBJECT

private slots:
    void emptyDirectoryGivesTheHeaderOnly() {
        ExportFixture fixture{HostBuilder()};
        const auto summary = fixture.run({"Alias", "Display Name"});
        QVERIFY(summary.ok());
        QCOMPARE(summary->subscribersWritten, 0);
        QCOMPARE(summary->errorCount, 0);
        QCOMPARE(contents(fixture.path("out.csv")), QByteArray("ALIAS,DISPLAY_NAME\r\n"));
    }

    void skipsSubscribersWithoutCallHandlerOrClassOfService() {
        HostBuilder host;
        host.subscriber("first");
        host.subscriber("nohandler").withoutCallHandler();
        host.subscriber("nullhandler").set("CallHandlerObjectID", QVariant());
        host.subscriber("nocos").set("COSObjectID", "no-such-cos");
        host.subscriber("nullcos").set("COSObjectID", QVariant());
        host.subscriber("last");
        ExportFixture fixture(host);
        const auto summary = fixture.run({"Alias"});
        QVERIFY(summary.ok());
        QCOMPARE(contents(fixture.path("out.csv")), QByteArray("ALIAS\r\nfirst\r\nlast\r\n"));
        QCOMPARE(summary->subscribersWritten, 2);
        QCOMPARE(summary->errorCount, 4);
        const QByteArray log = contents(fixture.logPath());
        for (const char* alias : {"nohandler", "nullhandler"}) {
            QVERIFY(log.contains(QString("\r\nAlias=%1\r\n%2\r\n").arg(alias, kNoHandler).toUtf8()));
        }
        for (const char* alias : {"nocos", "nullcos"}) {
            QVERIFY(log.contains(QString("\r\nAlias=%1\r\n%2\r\n").arg(alias, kNoCos).toUtf8()));
        }
    }

    void writesTheAliasMarkerForANullAlias() {
        HostBuilder host;
        host.subscriber("x").set("Alias", QVariant()).set("MediaSwitchObjectID", "gone");
        ExportFixture fixture(host);
        QVERIFY(fixture.run({"Switch ID"}).ok());
        QVERIFY(
            contents(fixture.logPath())
                .endsWith("\r\nAlias=\r\n(error) could not find MediaSwitch entry for this subscriber\r\n"));
    }

    void lineFeedsPutEveryFieldOnALineAndEndRecordsWithAnEmptyLine() {
        HostBuilder host;
        host.subscriber("jsmith").set("BillingID", "B7");
        ExportFixture fixture(host);
        QVERIFY(fixture.run({"Alias", "Billing ID"}, Separator::LineFeeds).ok());
        QCOMPARE(contents(fixture.path("out.csv")),
                 QByteArray("ALIAS\r\nBILLING_ID\r\n\r\njsmith\r\nB7\r\n\r\n"));
    }

    void progressNeverPassesItsMaximum() {
        HostBuilder host;
        for (const char* alias : {"a", "b", "c", "d"}) host.subscriber(alias);
        host.subscribers()[1].withoutCallHandler();
        ExportFixture fixture(host);
        RecordingObserver observer;
        QVERIFY(fixture
                    .run(ExportOptions{{}, QuoteRule::WhenNeeded, Separator::Commas, {"Alias"}}, observer,
                         Localizer(), 3)
                    .ok());
        QCOMPARE(observer.values, QList<int>({1, 2, 3}));
    }

    void anotherRunReplacesTheFileAndTheLog() {
        HostBuilder host;
        host.subscriber("jsmith");
        host.subscriber("broken").set("MediaSwitchObjectID", "gone");
        ExportFixture fixture(host);
        QVERIFY(fixture.run({"Alias", "Switch ID"}).ok());
        QVERIFY(contents(fixture.logPath()).contains("MediaSwitch"));
        const auto second = fixture.run({"Billing ID"});
        QVERIFY(second.ok());
        QCOMPARE(second->errorCount, 0);
        QCOMPARE(contents(fixture.path("out.csv")), QByteArray("BILLING_ID\r\nB1\r\nB2\r\n"));
        const QByteArray log = contents(fixture.logPath());
        QVERIFY(!log.contains("MediaSwitch"));
        QCOMPARE(log.count("Running brindle version:"), 1);
    }

    void outputThatCannotBeWrittenStopsBeforeAnySubscriber() {
        HostBuilder host;
        host.subscriber("jsmith");
        ExportFixture fixture(host);
        RecordingObserver observer;
        const QString output = fixture.path("no-such-folder/out.csv");
        const auto summary =
            fixture.run(ExportOptions{output, QuoteRule::WhenNeeded, Separator::Commas, {"Alias"}}, observer);
        QVERIFY(!summary.ok());
        QVERIFY2(summary.error().message.contains(output), qPrintable(summary.error().message));
        QVERIFY(observer.values.isEmpty());
        const QByteArray log = contents(fixture.logPath());
        QVERIFY(log.contains("(error) cannot write the output file"));
        QVERIFY(!log.contains("Alias=jsmith"));
    }

    void stoppedRunLeavesNoFileUnderTheOutputName() {
        HostBuilder host;
        for (const char* alias : {"a", "b", "c"}) host.subscriber(alias);
        ExportFixture fixture(host);
        QFile old(fixture.path("out.csv"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\r\n") > 0);
        old.close();
        RecordingObserver observer(2);
        QVERIFY(!fixture.run(ExportOptions{{}, QuoteRule::WhenNeeded, Separator::Commas, {"Alias"}}, observer)
                     .ok());
        QVERIFY(!QFile::exists(fixture.path("out.csv")));
        QCOMPARE(QDir(fixture.path(".")).entryList({"out.csv*"}, QDir::Files), QStringList());
        QVERIFY(contents(fixture.logPath()).contains("(error) the export was stopped"));
    }

    // Whatever stops a run before it begins leaves yesterday's output and the log as they were.
    void aRunThatCannotLogTouchesNothing_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("reason");
        QTest::addRow("log path is a folder") << "folder"
                                              << "cannot open the error log";
        QTest::addRow("log path is a device") << "device"
                                              << "/dev/full: it is not a regular file";
        QTest::addRow("log held by another run") << "held"
                                                 << "another export is writing the error log";
    }
    void aRunThatCannotLogTouchesNothing() {
        QFETCH(QString, obstacle);
        QFETCH(QString, reason);
        HostBuilder host;
        host.subscriber("jsmith");
        ExportFixture fixture(host);
        writeFile(fixture.path("out.csv"), "yesterday\r\n");
        writeFile(fixture.logPath(), "yesterday's log\r\n");
        ExclusiveLock otherRun(fixture.logPath() + ".lock");
        if (obstacle == "folder") {
            fixture.setLogPath(fixture.path("log-folder"));
            QVERIFY(QDir().mkpath(fixture.logPath()));
        }
        if (obstacle == "device") fixture.setLogPath("/dev/full");
        if (obstacle == "held") QCOMPARE(otherRun.tryAcquire().value(), true);

        const auto summary = fixture.run({"Alias"});
        QVERIFY(!summary.ok());
        QVERIFY2(summary.error().message.contains(reason), qPrintable(summary.error().message));
        QCOMPARE(contents(fixture.path("out.csv")), QByteArray("yesterday\r\n"));
        QCOMPARE(contents(fixture.path("errors.log")), QByteArray("yesterday's log\r\n"));
    }

    void refusesAnOutputPathThatIsNotAFileOfItsOwn() {
        HostBuilder host;
        host.subscriber("jsmith");
        ExportFixture fixture(host);
        writeFile(fixture.logPath(), "yesterday's log\r\n");
        RecordingObserver observer;
        const auto summary = fixture.run(
            ExportOptions{fixture.logPath(), QuoteRule::WhenNeeded, Separator::Commas, {"Alias"}}, observer);
        QVERIFY(!summary.ok());
        QVERIFY2(summary.error().message.contains("is the error log"), qPrintable(summary.error().message));
        QCOMPARE(contents(fixture.logPath()), QByteArray("yesterday's log\r\n"));
    }

    void refusesAnEmptySelection() {
        ExportFixture fixture{HostBuilder()};
        const auto summary = fixture.run(QStringList());
        QVERIFY(!summary.ok());
        QCOMPARE(summary.error().message, QStringLiteral("No items selected for outport!"));
    }

    void everyItemGivesTheSixtyTwoColumnsInOrder() {
        HostBuilder host;
        host.subscriber("jsmith");
        ExportFixture fixture(host);
        QStringList entries;
        for (const DataItem& item : dataItems()) entries << Localizer().builtInText(item.labelId);
        QVERIFY(fixture.run(entries).ok());
        const QList<QByteArray> lines = contents(fixture.path("out.csv")).split('\n');
        QCOMPARE(
            lines[0],
            QByteArray(
                "ALIAS,FIRST_NAME,LAST_NAME,DISPLAY_NAME,PRIMARY_EXTENSION,ALT-EXT_1,ALT-EXT_2,ALT-EXT_3,"
                "ALT-EXT_4,ALT-EXT_5,ALT-EXT_6,ALT-EXT_7,ALT-EXT_8,ALT-EXT_9,SWITCH_ID,PRIMARY_MWI_STRING,"
                "ALT-MWI_1,ALT-MWI_2,ALT-MWI_3,ALT-MWI_4,ALT-MWI_5,ALT-MWI_6,ALT-MWI_7,ALT-MWI_8,ALT-MWI_9,"
                "COS_NAME,SCHEDULE_NAME,BILLING_ID,LANGUAGE,LIST_IN_DIRECTORY,SET_FOR_FIRST_TIME_ENROLLMENT,"
                "MAXIMUM_MESSAGE_LENGTH,TIME_OF_LAST_CALL,MWI_STATUS,SUBSCRIBER_LOCKOUT_STATUS,"
                "DEFAULT_PLAYBACK_VOLUME,VOICE_NAME_RECORDED,LAST_PW_CHANGE_TIME,SUBSCRIBER_CREATION_TIME,"
                "MAILBOX_SIZE_BYTES,MAILBOX_SEND_LIMIT_BYTES,MAILBOX_RECEIVE_LIMIT_BYTES,"
                "MAILBOX_WARNING_LIMIT_BYTES,GREETING_ALTERNATE_ACTIVE,GREETING_BUSY_ACTIVE,"
                "GREETING_INTERNAL_ACTIVE,GREETING_CLOSED_ACTIVE,GREETING_HOLIDAY_ACTIVE,CALLER_INPUT_0,"
                "CALLER_INPUT_1,CALLER_INPUT_2,CALLER_INPUT_3,CALLER_INPUT_4,CALLER_INPUT_5,CALLER_INPUT_6,"
                "CALLER_INPUT_7,CALLER_INPUT_8,CALLER_INPUT_9,CALLER_INPUT_*,CALLER_INPUT_#,"
                "VOICE_NAME_WAV_FILE,VOICE_NAME_AS_EXTENSION_WAV_FILE\r"));
        QCOMPARE(lines[1].count(','), 61);
    }

    void entriesMatchLabelsWithoutRegardToCase() {
        HostBuilder host;
        host.subscriber("jsmith");
        ExportFixture fixture(host);
        QVERIFY(fixture.run({"aLIAS", "nothing like a label"}).ok());
        QCOMPARE(contents(fixture.path("out.csv")), QByteArray("ALIAS\r\njsmith\r\n"));
    }

    void anEntryMatchingTwoItemsWritesBothInHeaderAndLine() {
        HostBuilder host;
        host.subscriber("jsmith");
        ExportFixture fixture(host);
        Localizer strings;
        strings.setLanguagePack(std::make_unique<SameLabelPack>());
        RecordingObserver observer;
        QVERIFY(
            fixture
                .run(ExportOptions{{}, QuoteRule::WhenNeeded, Separator::Commas, {"Name"}}, observer, strings)
                .ok());
        QCOMPARE(contents(fixture.path("out.csv")), QByteArray("ALIAS,FIRST_NAME\r\njsmith,Jsmith\r\n"));
    }
};

QTEST_GUILESS_MAIN(ExportRunTest)
#include "test_export_run.moc"
