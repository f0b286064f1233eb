// The command line as a nightly job uses it: the list of labels, what was matched, the file's
// layout, refusals, silence and the home folder.
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "export/catalogue.h"
#include "hostbuilder/host_builder.h"
#include "localize/localizer.h"
#include "support/brindle_process.h"

using brindle::fixture::HostBuilder;
using namespace brindle::testing;

namespace {

QStringList listEntries() {
    return brindle::dataItemListEntries(brindle::Localizer());
}

// The header a run writes for these list entries: their columns in list order, commas between.
QByteArray headerOf(const QStringList& entries) {
    QStringList columns;
    const auto items = brindle::dataItems();
    const QStringList all = listEntries();
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (entries.contains(all[i])) columns << items[i].columns;
    }
    return columns.join(',').toUtf8() + "\r\n";
}

}  // namespace

class UnattendedOptionsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_host;

    QString home() const { return m_dir.filePath("home"); }
    QString out(const QString& name) const { return m_dir.filePath("out/" + name); }
    ProcessOutcome run(const QStringList& arguments) const {
        return runBrindle(brindleEnvironment(m_host, home()), arguments);
    }
    QByteArray firstLine(const QString& path) const {
        const QByteArray bytes = fileContents(path);
        return bytes.left(bytes.indexOf('\n') + 1);
    }

private slots:
    void initTestCase() {
        QVERIFY(QDir().mkpath(home()));
        HostBuilder host;
        host.subscriber("jsmith");
        host.subscriber("ann").set("DisplayName", "Lee, \"Ann\"");
        m_host = writeHost(host, m_dir.filePath("host"));
    }
    void init() { QFile::remove(QDir(home()).filePath("BrindleErrors.log")); }

    void listPrintsTheWindowsEntriesOneALine() {
        const ProcessOutcome outcome = run({"--list"});
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(outcome.out, listEntries().join('\n') + '\n');
        QCOMPARE(listEntries().size(), 31);
        QVERIFY(outcome.err.isEmpty());
        QVERIFY(QDir(home()).isEmpty());
    }

    void eachListedLabelAloneSelectsItsItem_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("selected");
        for (const QString& label : listEntries()) {
            QStringList selected{label};
            // These two labels hold another item's label, which the matching finds as well.
            if (label.contains("[ALIAS]")) selected.prepend("Alias");
            if (label.contains("[Primary Extension]")) selected.prepend("Primary Extension");
            QTest::addRow("%s", qPrintable(label)) << label << selected;
        }
    }
    void eachListedLabelAloneSelectsItsItem() {
        QFETCH(QString, label);
        QFETCH(QStringList, selected);
        const QString output = out("alone.csv");
        const ProcessOutcome outcome = run({label, "/f:" + output});
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY2(outcome.err.isEmpty(), qPrintable(outcome.err));
        QCOMPARE(firstLine(output), headerOf(selected));
    }

    void warnsOfWhatWasNotMatched_data() {
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QStringList>("exported");
        QTest::addRow("typo among good labels")
            << QStringList{"Alais", "Display Name"}
            << "brindle: \"Alais\" is part of no data item label (brindle --list shows them)\n"
            << QStringList{"Display Name"};
        QTest::addRow("nothing matched")
            << QStringList{"COS"} << "brindle: no data item named in \"COS\"; exporting every item\n"
            << listEntries();
        QTest::addRow("correct labels")
            << QStringList{"alias", "DISPLAY", "name"} << "" << QStringList{"Alias", "Display Name"};
    }
    void warnsOfWhatWasNotMatched() {
        QFETCH(QStringList, labels);
        QFETCH(QString, err);
        QFETCH(QStringList, exported);
        const QString output = out("warned.csv");
        const ProcessOutcome outcome = run(labels + QStringList{"/f:" + output});
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(outcome.err, err);
        QCOMPARE(firstLine(output), headerOf(exported));
    }

    void writesTheChosenLayout_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("defaults")
            << QStringList{}
            << QByteArray("ALIAS,DISPLAY_NAME\r\njsmith,Jsmith Tester\r\nann,\"Lee, \"\"Ann\"\"\"\r\n");
        QTest::addRow("comma")
            << QStringList{"--separator=comma"}
            << QByteArray("ALIAS,DISPLAY_NAME\r\njsmith,Jsmith Tester\r\nann,\"Lee, \"\"Ann\"\"\"\r\n");
        QTest::addRow("tab")
            << QStringList{"--separator=tab"}
            << QByteArray("ALIAS\tDISPLAY_NAME\r\njsmith\tJsmith Tester\r\nann\t\"Lee, \"\"Ann\"\"\"\r\n");
        QTest::addRow("linefeed") << QStringList{"--separator=linefeed"}
                                  << QByteArray(
                                         "ALIAS\r\nDISPLAY_NAME\r\n\r\njsmith\r\nJsmith Tester\r\n\r\n"
                                         "ann\r\n\"Lee, \"\"Ann\"\"\"\r\n\r\n");
        QTest::addRow("quotes needed")
            << QStringList{"--quotes=needed"}
            << QByteArray("ALIAS,DISPLAY_NAME\r\njsmith,Jsmith Tester\r\nann,\"Lee, \"\"Ann\"\"\"\r\n");
        QTest::addRow("quotes always") << QStringList{"--quotes=always"}
                                       << QByteArray(
                                              "\"ALIAS\",\"DISPLAY_NAME\"\r\n\"jsmith\",\"Jsmith "
                                              "Tester\"\r\n\"ann\",\"Lee, \"\"Ann\"\"\"\r\n");
        QTest::addRow("quotes never")
            << QStringList{"--quotes=never"}
            << QByteArray("ALIAS,DISPLAY_NAME\r\njsmith,Jsmith Tester\r\nann,Lee, \"Ann\"\r\n");
        QTest::addRow("tab, quotes never, in any order")
            << QStringList{"--quotes=never", "Alias", "--separator=tab"}
            << QByteArray("ALIAS\tDISPLAY_NAME\r\njsmith\tJsmith Tester\r\nann\tLee, \"Ann\"\r\n");
    }
    void writesTheChosenLayout() {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, bytes);
        const QString output = out("layout.csv");
        const ProcessOutcome outcome = run(options + QStringList{"Alias", "Display Name", "/f:" + output});
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(fileContents(output), bytes);
    }

    void refusesUnknownOptionsAndValuesWithoutTouchingAnything_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("err");
        QTest::addRow("unknown option") << "--foo"
                                        << "brindle: unknown option --foo (see brindle --help)\n";
        QTest::addRow("bad separator")
            << "--separator=semicolon"
            << "brindle: unknown separator \"semicolon\": use --separator=comma, --separator=tab or "
               "--separator=linefeed\n";
        QTest::addRow("bad quotes")
            << "--quotes=maybe"
            << "brindle: unknown quotes \"maybe\": use --quotes=needed, --quotes=always or "
               "--quotes=never\n";
    }
    void refusesUnknownOptionsAndValuesWithoutTouchingAnything() {
        QFETCH(QString, option);
        QFETCH(QString, err);
        const QString output = out("refused.csv");
        const ProcessOutcome outcome = run({"Alias", option, "/f:" + output});
        QCOMPARE(outcome.exitCode, 1);
        QCOMPARE(outcome.err, err);
        QVERIFY(outcome.out.isEmpty());
        QVERIFY(!QFile::exists(output));
        QVERIFY(QDir(home()).isEmpty());
    }

    void quietPrintsNothingOnSuccessButStillWarns() {
        const QString output = out("quiet.csv");
        ProcessOutcome outcome = run({"--quiet", "Alias", "/f:" + output});
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(outcome.out, QString());
        QCOMPARE(outcome.err, QString());
        QCOMPARE(fileContents(output), QByteArray("ALIAS\r\njsmith\r\nann\r\n"));

        outcome = run({"--quiet", "Alais", "Alias", "/f:" + output});
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(outcome.out, QString());
        QVERIFY(outcome.err.contains("\"Alais\" is part of no data item label"));
    }

    void takesAPathBeginningWithTildeFromTheHomeFolder() {
        const ProcessOutcome outcome = run({"Alias", "/f:~/nightly/subscribers.csv"});
        QCOMPARE(outcome.exitCode, 0);
        const QString expected = QDir(home()).filePath("nightly/subscribers.csv");
        QCOMPARE(fileContents(expected), QByteArray("ALIAS\r\njsmith\r\nann\r\n"));
        QVERIFY2(outcome.out.startsWith("2 subscriber(s) written to " + expected + ","),
                 qPrintable(outcome.out));
        QVERIFY(!QFileInfo::exists(QDir::current().filePath("~")));
    }
};

QTEST_GUILESS_MAIN(UnattendedOptionsTest)
#include "test_unattended_options.moc"
