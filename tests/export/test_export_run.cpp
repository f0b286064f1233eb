#include <QDir>
#include <QTest>
#include <functional>

#include "export/columns/column_context.h"
#include "export/export_run.h"
#include "localize/localizer.h"
#include "platform/exclusive_lock.h"
#include "support/column_export.h"
#include "support/export_fixture.h"
#include "support/files.h"
#include "support/memory_output.h"
#include "support/run_config.h"

using namespace brindle;
using namespace brindle::testing;
using brindle::fixture::HostBuilder;

namespace {

// A pack that gives two data items one label, as a careless translation might.
class SameLabelPack final : public StringSource {
public:
    std::optional<QString> text(int id) const override {
        return id == 3 || id == 23 ? std::optional<QString>("Name") : std::nullopt;
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
    // Under a pack that gives Alias and First Name one label.
    void writesWhatTheEntriesSelect_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QByteArray>("file");
        QTest::addRow("no subscribers")
            << QStringList{"Name", "Display Name"} << QByteArray("ALIAS,FIRST_NAME,DISPLAY_NAME\r\n");
        QTest::addRow("a label in any case, for two items; others ignored")
            << QStringList{"nAME", "nothing like a label"}
            << QByteArray("ALIAS,FIRST_NAME\r\njsmith,Jsmith\r\n");
    }
    void writesWhatTheEntriesSelect() {
        QFETCH(QStringList, entries);
        QFETCH(QByteArray, file);
        ExportFixture fixture(file.contains("jsmith") ? hostOf({"jsmith"}) : HostBuilder());
        Localizer strings;
        strings.setLanguagePack(std::make_unique<SameLabelPack>());
        QVERIFY(fixture.run(entries, {}, nullptr, strings).ok());
        QCOMPARE(fileContents(fixture.path("out.csv")), file);
    }

    void progressNeverPassesItsMaximum() {
        HostBuilder host = hostOf({"a", "b", "c", "d"});
        host.subscribers()[1].withoutCallHandler();
        ExportFixture fixture(host);
        RecordingObserver observer;
        const auto capped = [](ExportEnvironment& environment, ExportOptions&) {
            environment.progressMaximum = 3;
        };
        QVERIFY(fixture.run({"Alias"}, capped, &observer).ok());
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

    // Whatever stops a run before it begins leaves yesterday's output and the log as they were.
    void aRunThatCannotLogTouchesNothing_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("reason");
        QTest::addRow("log path is a device") << "device"
                                              << "/dev/full: it is not a regular file";
        QTest::addRow("log held by another run") << "held"
                                                 << "another export is writing the error log";
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
        const auto summary = fixture.run(obstacle == "none" ? QStringList() : QStringList{"Alias"},
                                         [&](ExportEnvironment& environment, ExportOptions&) {
                                             if (obstacle == "device") environment.logPath = "/dev/full";
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
        QCOMPARE(summary.error().message,
                 QString("internal error: the data item Alias gave %1 fields for its 1 columns; no output "
                         "file was written")
                     .arg(fields));
        QVERIFY(!output.committed && output.rows.isEmpty());
    }
};

QTEST_GUILESS_MAIN(ExportRunTest)
#include "test_export_run.moc"
