// The nightly job with a change report: two runs of the real program, a night apart.
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "support/brindle_process.h"

using brindle::fixture::HostBuilder;
using namespace brindle::testing;

namespace {

// Yesterday's host; tonight's has one name and one extension changed, one subscriber more, one
// fewer, and one whose call handler is gone.
HostBuilder yesterday() {
    HostBuilder host;
    for (const char* alias : {"amy", "ben", "cleo", "dan", "eli"}) host.subscriber(alias);
    host.subscriber("zoe").set("DisplayName", "Zo\u00eb M\u00fcller");
    host.subscribers()[1].alternateExtensions({"7001"});
    return host;
}

HostBuilder tonight() {
    HostBuilder host = yesterday();
    host.subscribers()[0].set("DisplayName", "Amy Renamed");
    host.subscribers()[1].alternateExtensions({"7002"});
    host.subscribers()[4].withoutCallHandler();
    host.subscribers().removeAt(3);
    host.subscriber("fay");
    return host;
}

}  // namespace

class ChangesCommandTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_yesterday;
    QString m_tonight;

    QString home() const { return m_dir.filePath("home"); }
    QString logPath() const { return home() + "/BrindleErrors.log"; }
    QString out(const QString& name = {}) const { return m_dir.filePath("out/" + name); }

private slots:
    void initTestCase() {
        m_yesterday = writeHost(yesterday(), m_dir.filePath("yesterday"));
        m_tonight = writeHost(tonight(), m_dir.filePath("tonight"));
        qunsetenv("XDG_RUNTIME_DIR");
    }
    void init() {
        QVERIFY(QDir(home()).removeRecursively() && QDir().mkpath(home()));
        QVERIFY(QDir(out()).removeRecursively() && QDir().mkpath(out()));
    }

    // Whatever layout and encoding last night's file has, only what the directory changed is told.
    void reportsWhatChangedSinceLastNight_data() {
        QTest::addColumn<QStringList>("lastNight");
        QTest::addRow("the same layout") << QStringList();
        QTest::addRow("tabs, always quoted, Windows-1252")
            << QStringList{"--separator=tab", "--quotes=always", "--encoding=windows-1252"};
    }
    void reportsWhatChangedSinceLastNight() {
        QFETCH(QStringList, lastNight);
        const QString output = "/f:" + out("subscribers.csv");
        const ProcessOutcome first = runBrindle(brindleEnvironment(m_yesterday, home()), lastNight << output);
        QCOMPARE(first.exitCode, 0);

        const ProcessOutcome second =
            runBrindle(brindleEnvironment(m_tonight, home()),
                       {"--summary=json", "--changes=" + out("report.csv"), output});
        QCOMPARE(second.exitCode, 0);
        QCOMPARE(second.err, QString());
        QCOMPARE(fileContents(out("report.csv")),
                 QByteArray("CHANGE,ALIAS,COLUMN,BEFORE,AFTER\r\n"
                            "changed,amy,DISPLAY_NAME,Amy Tester,Amy Renamed\r\n"
                            "changed,ben,ALT-EXT_1,7001,7002\r\n"
                            "removed,dan,,,\r\n"
                            "skipped,eli,,,\r\n"
                            "added,fay,,,\r\n"));
        const QJsonObject changes =
            QJsonDocument::fromJson(second.out.toUtf8()).object()["changes"].toObject();
        QCOMPARE(changes,
                 QJsonObject(
                     {{"added", 1}, {"removed", 1}, {"skipped", 1}, {"changed", 2}, {"fields_changed", 2}}));
    }

    void saysWhyTheFirstNightAddsEveryone() {
        const ProcessOutcome run =
            runBrindle(brindleEnvironment(m_yesterday, home()),
                       {"--changes=" + out("report.csv"), "Alias", "/f:" + out("x.csv")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, "brindle: there was no earlier export at " + out("x.csv") +
                              " to compare with: every subscriber is reported as added\n");
        QVERIFY2(
            run.out.endsWith("; 6 added, 0 removed, 0 skipped, 0 changed in " + out("report.csv") + "\n"),
            qPrintable(run.out));
    }

    // In arguments and reasons %1 is the output folder, %2 the log.
    void refusesAndLeavesEveryFileAsItWas_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char* change, QStringList options, const QString& reason,
                            const QStringList& labels = {"Alias"}) {
            QTest::addRow("%s", change) << (options << labels << "/f:%1/x.csv") << reason;
        };
        row("an earlier export without a report", {"--compare-with=%1/old.csv"},
            "--compare-with names the earlier export of a change report: give --changes=REPORT too");
        row("a report without aliases", {"--changes=%1/r.csv"},
            "the change report matches subscribers by alias: select the Alias item too", {"Display", "Name"});
        row("a missing earlier export", {"--changes=%1/r.csv", "--compare-with=%1/gone.csv"},
            "the earlier export %1/gone.csv does not exist; nothing was exported");
        row("a folder to compare with", {"--changes=%1/r.csv", "--compare-with=%1"},
            "the earlier export %1 is a folder, not a regular file");
        row("a broken earlier export", {"--changes=%1/r.csv", "--compare-with=%1/broken.csv"},
            "the earlier export %1/broken.csv, line 2: 1 field(s) where the header has 2");
        row("the report is the output", {"--changes=%1/x.csv"},
            "the change report path %1/x.csv is the output file too");
        row("the report is the log", {"--changes=%2"}, "the change report path %2 is the error log");
        row("the report is the earlier export", {"--changes=%1/old.csv", "--compare-with=%1/old.csv"},
            "the change report path %1/old.csv is the earlier export too");
    }
    void refusesAndLeavesEveryFileAsItWas() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        const QMap<QString, QByteArray> files{{"x.csv", "ALIAS\r\namy\r\n"},
                                              {"old.csv", "ALIAS\r\nold\r\n"},
                                              {"broken.csv", "ALIAS,DISPLAY_NAME\r\namy\r\n"},
                                              {"r.csv", "yesterday's report\r\n"}};
        for (auto file = files.cbegin(); file != files.cend(); ++file)
            QVERIFY(writeFile(out(file.key()), *file));
        QVERIFY(writeFile(logPath(), "yesterday's log\r\n"));
        for (QString& argument : arguments)
            argument.replace("%1", m_dir.filePath("out")).replace("%2", logPath());

        const ProcessOutcome run = runBrindle(brindleEnvironment(m_tonight, home()), arguments);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(reason.replace("%1", m_dir.filePath("out")).replace("%2", logPath())),
                 qPrintable(run.err));
        QCOMPARE(QDir(out()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), files.keys());
        for (auto file = files.cbegin(); file != files.cend(); ++file)
            QCOMPARE(fileContents(out(file.key())), *file);
        QCOMPARE(fileContents(logPath()), QByteArray("yesterday's log\r\n"));
    }
};

QTEST_GUILESS_MAIN(ChangesCommandTest)
#include "test_changes_command.moc"
