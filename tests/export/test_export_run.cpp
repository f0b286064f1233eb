#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "export/columns/column_context.h"
#include "export/directory/cached_tables.h"
#include "export/directory/directory_connection.h"
#include "export/export_run.h"
#include "hostbuilder/host_builder.h"
#include "localize/localizer.h"
#include "platform/exclusive_lock.h"
#include "support/files.h"
#include "support/memory_output.h"
#include "support/run_config.h"

using namespace brindle;
using namespace brindle::testing;
using brindle::fixture::HostBuilder;

namespace {

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

// A host written once and opened as start-up opens it; runs exports into its folder, to
// out.csv and errors.log there unless a test changes the run's environment or options.
class ExportFixture {
public:
    using Change = std::function<void(ExportEnvironment&, ExportOptions&)>;

    explicit ExportFixture(const HostBuilder& host) {
        const auto written = host.write(path("host"));
        if (!written) qFatal("%s", qPrintable(written.error().message));
        auto connection =
            DirectoryConnection::openSqlite(*written + "/HalvernDirDB.db", *written + "/HalvernMbxDB1.db");
        if (!connection) qFatal("%s", qPrintable(connection.error().message));
        m_connection = std::move(connection).value();
        if (!m_tables.OpenDirectoryTables(*m_connection)) qFatal("tables");
    }

    QString path(const QString& name) const { return m_folder.filePath(name); }

    Result<ExportSummary> run(const QStringList& entries, const Change& change = {},
                              RunObserver* observer = nullptr, const Localizer& strings = Localizer()) {
        const auto lookup = makeDirectoryLookup(*m_connection, m_tables, readerUnderTest());
        ExportEnvironment environment{m_tables, *lookup, strings, path("errors.log"), "brindle"};
        environment.progressMaximum = 100;
        ExportOptions options{path("out.csv"), QuoteRule::WhenNeeded, Separator::Commas, entries};
        if (change) change(environment, options);
        RecordingObserver quiet;
        return ExportRun(std::move(environment), std::move(options)).run(observer ? *observer : quiet);
    }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<DirectoryConnection> m_connection;
    CachedTables m_tables;
};

// A pack that gives two data items one label, as a careless translation might.
class SameLabelPack final : public StringSource {
public:
    std::optional<QString> text(int id) const override {
        if (id == 3 || id == 23) return QStringLiteral("Name");
        return std::nullopt;
    }
};

HostBuilder hostOf(std::initializer_list<const char*> aliases) {
    HostBuilder host;
    for (const char* alias : aliases) host.subscriber(alias);
    return host;
}

}  // namespace

class ExportRunTest : public QObject {
    Q_OBJECT

private slots:
    void writesWhatTheEntriesSelect_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QByteArray>("file");
        QTest::addRow("no subscribers")
            << QStringList{"Alias", "Display Name"} << QByteArray("ALIAS,DISPLAY_NAME\r\n");
        QTest::addRow("labels in any case, others ignored")
            << QStringList{"aLIAS", "nothing like a label"} << QByteArray("ALIAS\r\njsmith\r\n");
    }
    void writesWhatTheEntriesSelect() {
        QFETCH(QStringList, entries);
        QFETCH(QByteArray, file);
        ExportFixture fixture(file.contains("jsmith") ? hostOf({"jsmith"}) : HostBuilder());
        QVERIFY(fixture.run(entries).ok());
        QCOMPARE(fileContents(fixture.path("out.csv")), file);
    }

    void anEntryMatchingTwoItemsWritesBothInHeaderAndLine() {
        ExportFixture fixture(hostOf({"jsmith"}));
        Localizer strings;
        strings.setLanguagePack(std::make_unique<SameLabelPack>());
        QVERIFY(fixture.run({"Name"}, {}, nullptr, strings).ok());
        QCOMPARE(fileContents(fixture.path("out.csv")), QByteArray("ALIAS,FIRST_NAME\r\njsmith,Jsmith\r\n"));
    }

    // A Null reference finds no row: the subscriber is skipped, never given another's row.
    void skipsSubscribersWithoutCallHandlerOrClassOfService() {
        HostBuilder host = hostOf({"first"});
        host.subscriber("nullhandler").set("CallHandlerObjectID", QVariant());
        host.subscriber("nocos").set("COSObjectID", "no-such-cos");
        host.subscriber("nullcos").set("COSObjectID", QVariant());
        host.subscriber("last");
        host.subscriber("x").set("Alias", QVariant()).withoutCallHandler();
        ExportFixture fixture(host);
        const auto summary = fixture.run({"Alias"});
        QVERIFY(summary.ok());
        QCOMPARE(fileContents(fixture.path("out.csv")), QByteArray("ALIAS\r\nfirst\r\nlast\r\n"));
        QCOMPARE(summary->subscribersWritten, 2);
        QCOMPARE(summary->errorCount, 4);
        const QByteArray noHandler =
            "(error) can't find primary call handler reference for this subscriber.  "
            "Skipping user.\r\n";
        const QByteArray noCos = "(error) can't find COS reference for mail user.  Skipping user.\r\n";
        const QByteArray log = fileContents(fixture.path("errors.log"));
        QVERIFY(log.contains("\r\nAlias=nullhandler\r\n" + noHandler + "\r\nAlias=nocos\r\n" + noCos +
                             "\r\nAlias=nullcos\r\n" + noCos));
        QVERIFY(log.endsWith("\r\nAlias=\r\n" + noHandler));
    }

    void progressNeverPassesItsMaximum() {
        HostBuilder host = hostOf({"a", "b", "c", "d"});
        host.subscribers()[1].withoutCallHandler();
        ExportFixture fixture(host);
        RecordingObserver observer;
        QVERIFY(
            fixture
                .run(
                    {"Alias"}, [](ExportEnvironment& e, ExportOptions&) { e.progressMaximum = 3; }, &observer)
                .ok());
        QCOMPARE(observer.values, QList<int>({1, 2, 3}));
    }

    void anotherRunReplacesTheFileAndTheLog() {
        HostBuilder host = hostOf({"jsmith"});
        host.subscriber("broken").set("MediaSwitchObjectID", "gone");
        ExportFixture fixture(host);
        QVERIFY(fixture.run({"Alias", "Switch ID"}).ok());
        const auto second = fixture.run({"Billing ID"});
        QVERIFY(second.ok());
        QCOMPARE(second->errorCount, 0);
        QCOMPARE(fileContents(fixture.path("out.csv")), QByteArray("BILLING_ID\r\nB1\r\nB2\r\n"));
        const QByteArray log = fileContents(fixture.path("errors.log"));
        QVERIFY(!log.contains("MediaSwitch"));
        QCOMPARE(log.count("Running brindle version:"), 1);
    }

    // A run that fails once it has begun logs why and leaves nothing under the output's name.
    void aFailedRunLeavesNoOutput_data() {
        QTest::addColumn<int>("stopBefore");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("reason");
        QTest::addRow("output folder missing") << -1 << "no-such-folder/out.csv"
                                               << "cannot write the output file";
        QTest::addRow("stopped") << 2 << "out.csv"
                                 << "the export was stopped by the test";
    }
    void aFailedRunLeavesNoOutput() {
        QFETCH(int, stopBefore);
        QFETCH(QString, output);
        QFETCH(QString, reason);
        ExportFixture fixture(hostOf({"a", "b", "c"}));
        QVERIFY(writeFile(fixture.path("out.csv"), "old\r\n"));
        RecordingObserver observer(stopBefore);
        const QString path = fixture.path(output);
        const auto summary = fixture.run(
            {"Alias"}, [&](ExportEnvironment&, ExportOptions& options) { options.outputPath = path; },
            &observer);
        QVERIFY(!summary.ok());
        QVERIFY2(summary.error().message.contains(reason), qPrintable(summary.error().message));
        QVERIFY(fileContents(fixture.path("errors.log")).contains("(error) " + reason.toUtf8()));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList({"out.csv*"}, QDir::Files), QStringList());
        QCOMPARE(observer.values.size(), qMax(stopBefore, 0));
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
        QTest::addRow("output is the log") << "output"
                                           << "is the error log";
        QTest::addRow("nothing selected") << "none"
                                          << "No items selected for outport!";
    }
    void aRunThatCannotLogTouchesNothing() {
        QFETCH(QString, obstacle);
        QFETCH(QString, reason);
        ExportFixture fixture(hostOf({"jsmith"}));
        QVERIFY(writeFile(fixture.path("out.csv"), "yesterday\r\n"));
        QVERIFY(writeFile(fixture.path("errors.log"), "yesterday's log\r\n"));
        ExclusiveLock otherRun(fixture.path("errors.log.lock"));
        if (obstacle == "held") QCOMPARE(otherRun.tryAcquire().value(), true);
        if (obstacle == "folder") QVERIFY(QDir().mkpath(fixture.path("log-folder")));
        const auto summary = fixture.run(obstacle == "none" ? QStringList() : QStringList{"Alias"},
                                         [&](ExportEnvironment& environment, ExportOptions& options) {
                                             if (obstacle == "folder")
                                                 environment.logPath = fixture.path("log-folder");
                                             if (obstacle == "device") environment.logPath = "/dev/full";
                                             if (obstacle == "output")
                                                 options.outputPath = environment.logPath;
                                         });
        QVERIFY(!summary.ok());
        QVERIFY2(summary.error().message.contains(reason), qPrintable(summary.error().message));
        QCOMPARE(fileContents(fixture.path("out.csv")), QByteArray("yesterday\r\n"));
        QCOMPARE(fileContents(fixture.path("errors.log")), QByteArray("yesterday's log\r\n"));
    }

    // A producer that appends another number of fields than its item has columns would shift
    // every later field under the wrong column: the run ends before that line is written.
    void aProducerThatBreaksItsContractEndsTheRun_data() {
        QTest::addColumn<int>("fields");
        QTest::addRow("none") << 0;
        QTest::addRow("two for one column") << 2;
    }
    void aProducerThatBreaksItsContractEndsTheRun() {
        QFETCH(int, fields);
        static int appended;
        appended = fields;
        const DataItem broken[] = {{3, {"ALIAS"}, [](ColumnContext& context) {
                                        for (int i = 0; i < appended; ++i) context.AppendField("x");
                                    }}};
        ExportFixture fixture(hostOf({"jsmith"}));
        MemoryOutput output;
        const auto summary = fixture.run({"Alias"}, [&](ExportEnvironment& environment, ExportOptions&) {
            environment.catalogue = broken;
            environment.output = &output;
        });
        QVERIFY(!summary.ok());
        QCOMPARE(
            summary.error().message,
            QString(
                "internal error: the data item Alias gave %1 fields for its 1 columns; no output file was "
                "written")
                .arg(fields));
        QVERIFY(!output.committed);
        QCOMPARE(output.rows, QList<QStringList>());
    }
};

QTEST_GUILESS_MAIN(ExportRunTest)
#include "test_export_run.moc"
