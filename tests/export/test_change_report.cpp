// The change report: a run compared with the export it replaces, subscriber by subscriber.
#include <QDir>
#include <QTest>

#include "export/columns/column_context.h"
#include "export/output/delimited_file_output.h"
#include "support/export_fixture.h"
#include "support/files.h"
#include "support/memory_output.h"

using namespace brindle;
using namespace brindle::testing;
using brindle::fixture::HostBuilder;

namespace {

const QStringList kEntries{"Alias", "First Name", "Last Name", "Display Name"};

// The new export: ALIAS, FIRST_NAME, LAST_NAME, DISPLAY_NAME.
HostBuilder newHost() {
    HostBuilder host;
    for (const char* alias : {"ann", "Ann", "bob", "carl", "dup", "dup", "twice", "eve"})
        host.subscriber(alias);
    host.subscribers()[2].set("DisplayName", "Smith, \"Bob\"\r\nJr");
    host.subscribers()[3].withoutCallHandler();
    return host;
}

// Yesterday's export of the same host, with a column dropped since and one taken up.
const QList<QStringList> kEarlierRows{
    {"ALIAS", "DISPLAY_NAME", "LAST_NAME", "BILLING_ID"},
    {"ann", "Ann Tester", "Tester", "B1"},
    {"Ann", "Ann T.", "T.", "B2"},
    {"bob", "B\u00e9b\u00e9, \"the\"; first\tone\r\nmore", "Tester", "B3"},
    {"carl", "Carl Tester", "Tester", "B4"},
    {"dave", "Dave Tester", "Tester", "B5"},
    {"dup", "Dup Tester", "Tester", "B6"},
    {"twice", "Twice Tester", "Tester", "B7"},
    {"twice", "Twice Tester", "Tester", "B8"},
};

// Writes the rows as the program writes an export.
bool writeExport(const QString& path, const QList<QStringList>& rows, QuoteRule quoting, Separator separator,
                 TextEncoding encoding) {
    DelimitedFileOutput output(path, quoting, separator, encoding);
    if (!output.open()) return false;
    for (const QStringList& row : rows) output.writeRow(row);
    return output.commit().ok();
}

// Ends the run at the second subscriber as a lost directory does.
const DataItem kLosesTheDirectory[] = {{3, {"ALIAS"}, [](ColumnContext& context) {
                                            static int calls = 0;
                                            context.AppendField("x");
                                            if (++calls % 2 == 0) context.logFailure({"gone", 0, {}, true});
                                        }}};

}  // namespace

class ChangeReportTest : public QObject {
    Q_OBJECT

private slots:
    void reportsEveryKindOfChangeInAliasOrder_data() {
        QTest::addColumn<int>("quoting");
        QTest::addColumn<int>("separator");
        QTest::addColumn<int>("encoding");
        QTest::addRow("commas, UTF-8")
            << int(QuoteRule::WhenNeeded) << int(Separator::Commas) << int(TextEncoding::Utf8);
        QTest::addRow("tabs, always quoted, marked UTF-8")
            << int(QuoteRule::Always) << int(Separator::Tabs) << int(TextEncoding::Utf8WithMark);
        QTest::addRow("semicolons, Windows-1252")
            << int(QuoteRule::WhenNeeded) << int(Separator::Semicolons) << int(TextEncoding::Windows1252);
        QTest::addRow("line feeds") << int(QuoteRule::WhenNeeded) << int(Separator::LineFeeds)
                                    << int(TextEncoding::Utf8);
    }
    void reportsEveryKindOfChangeInAliasOrder() {
        QFETCH(int, quoting);
        QFETCH(int, separator);
        QFETCH(int, encoding);
        ExportFixture fixture(newHost());
        QVERIFY(writeExport(fixture.path("out.csv"), kEarlierRows, QuoteRule(quoting), Separator(separator),
                            TextEncoding(encoding)));
        MemoryOutput report;
        const auto summary =
            fixture.run(kEntries, [&](ExportEnvironment& environment, ExportOptions& options) {
                options.changes = ChangeReportOptions{fixture.path("report.csv"), {}};
                environment.reportOutput = &report;
            });
        QVERIFY2(summary.ok(), qPrintable(summary.ok() ? QString() : summary.error().message));
        QVERIFY(report.committed);
        const QList<QStringList> expected{
            {"CHANGE", "ALIAS", "COLUMN", "BEFORE", "AFTER"},
            {"column removed", "", "BILLING_ID", "", ""},
            {"column added", "", "FIRST_NAME", "", ""},
            {"changed", "Ann", "LAST_NAME", "T.", "Tester"},
            {"changed", "Ann", "DISPLAY_NAME", "Ann T.", "Ann Tester"},
            {"changed", "bob", "DISPLAY_NAME", "B\u00e9b\u00e9, \"the\"; first\tone\r\nmore",
             "Smith, \"Bob\"\r\nJr"},
            {"skipped", "carl", "", "", ""},
            {"removed", "dave", "", "", ""},
            {"added", "eve", "", "", ""},
        };
        QCOMPARE(report.rows, expected);
        const ChangeCounts counts = summary->changes.value();
        QCOMPARE(QList<qint64>(
                     {counts.added, counts.removed, counts.skipped, counts.changed, counts.fieldsChanged}),
                 QList<qint64>({1, 1, 1, 2, 3}));
        // One line for each alias that is not compared, whichever file holds it twice.
        const QString log = QString::fromUtf8(fileContents(fixture.path("errors.log")));
        QCOMPARE(log.count("(warning) the alias twice is on more than one line of the earlier export " +
                           fixture.path("out.csv")),
                 1);
        QCOMPARE(log.count("(warning) the alias dup is on more than one line of this export"), 1);
        QCOMPARE(log.count("\n(warning)"), 2);
    }

    void reportsEverySubscriberAddedWithoutAnEarlierExport() {
        ExportFixture fixture(newHost());
        QVERIFY(writeFile(fixture.path("report.csv"), "yesterday's report\r\n"));
        const auto summary = fixture.run({"Alias"}, [&](ExportEnvironment&, ExportOptions& options) {
            options.changes = ChangeReportOptions{fixture.path("report.csv"), {}};
        });
        QVERIFY(summary.ok() && summary->changes->firstExport);
        QCOMPARE(
            fileContents(fixture.path("report.csv")),
            QByteArray("CHANGE,ALIAS,COLUMN,BEFORE,AFTER\r\nadded,Ann,,,\r\nadded,ann,,,\r\nadded,bob,,,\r\n"
                       "added,eve,,,\r\nadded,twice,,,\r\n"));
    }

    // Checked whole before anything is touched: the earlier export and report stay, no log is begun.
    void refusesAnEarlierExportItCannotRead_data() {
        QTest::addColumn<QByteArray>("earlier");
        QTest::addColumn<QString>("fault");  // after the file's path
        QTest::addRow("a row short") << QByteArray("ALIAS,LAST_NAME\r\nann,A\r\nbob\r\n")
                                     << ", line 3: 1 field(s) where the header has 2";
        QTest::addRow("a quote never closed") << QByteArray("ALIAS,LAST_NAME\r\nann,\"A\r\nbob,B\r\n")
                                              << ", line 2: a quote opens a value that is never closed";
        QTest::addRow("text after a quote") << QByteArray("ALIAS;LAST_NAME\r\nann;\"A\"B\r\n")
                                            << ", line 2: text follows the quote that closes a value";
        QTest::addRow("a row of line feeds too long")
            << QByteArray("ALIAS\r\nLAST_NAME\r\n\r\nann\r\nA\r\nB\r\n\r\n")
            << ", line 4: the row goes on past the 2 field(s) of the header";
        QTest::addRow("no ALIAS first") << QByteArray("LAST_NAME,ALIAS\r\nA,ann\r\n")
                                        << ", line 1: no ALIAS column: the header does not begin with ALIAS";
        QTest::addRow("a workbook")
            << QByteArray("PK\x03\x04\x14\x00")
            << " is a workbook; only a delimited file this program wrote can be compared";
    }
    void refusesAnEarlierExportItCannotRead() {
        QFETCH(QByteArray, earlier);
        QFETCH(QString, fault);
        ExportFixture fixture(newHost());
        QVERIFY(writeFile(fixture.path("out.csv"), earlier));
        QVERIFY(writeFile(fixture.path("report.csv"), "yesterday's report\r\n"));
        const auto summary = fixture.run(kEntries, [&](ExportEnvironment&, ExportOptions& options) {
            options.changes = ChangeReportOptions{fixture.path("report.csv"), {}};
        });
        QVERIFY(!summary.ok());
        QCOMPARE(summary.error().message,
                 "the earlier export " + fixture.path("out.csv") + fault + "; nothing was exported");
        QCOMPARE(fileContents(fixture.path("out.csv")), earlier);
        QCOMPARE(fileContents(fixture.path("report.csv")), QByteArray("yesterday's report\r\n"));
        QVERIFY(!QFile::exists(fixture.path("errors.log")));
    }

    void aRunThatFailsLeavesTheEarlierExportAndReport() {
        ExportFixture fixture(newHost());
        QVERIFY(writeFile(fixture.path("out.csv"), "ALIAS\r\nann\r\n"));
        QVERIFY(writeFile(fixture.path("report.csv"), "yesterday's report\r\n"));
        const QStringList before = QDir(fixture.path("")).entryList(QDir::Files | QDir::Hidden);
        const auto summary =
            fixture.run({"Alias"}, [&](ExportEnvironment& environment, ExportOptions& options) {
                options.changes = ChangeReportOptions{fixture.path("report.csv"), {}};
                environment.catalogue = kLosesTheDirectory;
            });
        QVERIFY(!summary.ok());
        QVERIFY2(summary.error().message.startsWith("the directory cannot be read: gone"),
                 qPrintable(summary.error().message));
        QCOMPARE(fileContents(fixture.path("out.csv")), QByteArray("ALIAS\r\nann\r\n"));
        QCOMPARE(fileContents(fixture.path("report.csv")), QByteArray("yesterday's report\r\n"));
        QStringList after = QDir(fixture.path("")).entryList(QDir::Files | QDir::Hidden);
        after.removeIf([&](const QString& name) { return name.endsWith(".lock") || name == "errors.log"; });
        QCOMPARE(after, before);
    }
};

QTEST_GUILESS_MAIN(ChangeReportTest)
#include "test_change_report.moc"
