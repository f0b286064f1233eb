// The program as an administrator's job meets it: it replaces nothing but its own output,
// never reports success that is not true, and stops cleanly when told to.
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "platform/single_instance.h"
#include "support/brindle_process.h"
#include "support/sample_host_folder.h"

using brindle::fixture::HostBuilder;
using namespace brindle::testing;

namespace {

constexpr int kLargeHostSubscribers = 20000;

}  // namespace

class BrindleSafetyTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_host;       // three subscribers
    QString m_largeHost;  // long enough a run to be caught in the middle

    QString home() const { return m_dir.filePath("home"); }
    QString logPath() const { return QDir(home()).filePath("BrindleErrors.log"); }
    QString out(const QString& name) const { return m_dir.filePath("out/" + name); }
    QProcessEnvironment environment(const QString& host) const { return brindleEnvironment(host, home()); }
    QStringList outputFolder() const { return QDir(out("")).entryList(QDir::Files | QDir::Hidden); }

    // A run on the large host, started and caught once it has logged subscribers.
    bool startLargeRun(QProcess& process, const QString& output) const {
        startBrindle(process, environment(m_largeHost),
                     {"Alias", "Primary Extension", "MWI Status", "/f:" + output});
        for (int i = 0; i < 3000 && process.state() != QProcess::NotRunning; ++i) {
            if (fileContents(logPath()).count("Alias=") >= 20) return true;
            QTest::qWait(5);
        }
        return false;
    }

private slots:
    void initTestCase() {
        HostBuilder host;
        for (const char* alias : {"jsmith", "ann", "lee"}) host.subscriber(alias);
        m_host = writeHost(host, m_dir.filePath("host"));
        m_largeHost = writeSampleHost(m_dir.filePath("large-host"), kLargeHostSubscribers, 7);
    }

    void init() {
        QVERIFY(QDir(home()).removeRecursively() && QDir().mkpath(home()));
        QVERIFY(QDir(out("")).removeRecursively() && QDir().mkpath(out("")));
    }

    // The whole table of such paths is checked where the path is; here, that the program
    // refuses before it opens the log or touches anything.
    void refusesAnOutputPathThatIsNotItsOwnToReplace() {
        QVERIFY(writeFile(logPath(), "yesterday's log\r\n"));
        const ProcessOutcome outcome = runBrindle(environment(m_host), {"Alias", "/f:" + logPath()});
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains("is the error log"), qPrintable(outcome.err));
        QVERIFY(outcome.out.isEmpty());
        QCOMPARE(fileContents(logPath()), QByteArray("yesterday's log\r\n"));
        QCOMPARE(QDir(home()).entryList(QDir::Files | QDir::Hidden), QStringList{"BrindleErrors.log"});
    }

    void aLogThatCannotBeOpenedLeavesYesterdaysOutput_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::addRow("log path is a folder") << "folder";
        QTest::addRow("home folder missing") << "missing";
        QTest::addRow("home folder read-only") << "read-only";
    }
    void aLogThatCannotBeOpenedLeavesYesterdaysOutput() {
        QFETCH(QString, obstacle);
        if (obstacle == "folder") QVERIFY(QDir().mkpath(logPath()));
        if (obstacle == "missing") QVERIFY(QDir(home()).removeRecursively());
        if (obstacle == "read-only") {
            if (geteuid() == 0) QSKIP("root writes into a read-only folder");
            QVERIFY(QFile::setPermissions(home(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        QVERIFY(writeFile(out("subscribers.csv"), "yesterday\r\n"));
        const ProcessOutcome outcome =
            runBrindle(environment(m_host), {"Alias", "/f:" + out("subscribers.csv")});
        QFile::setPermissions(home(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(home()), qPrintable(outcome.err));
        QCOMPARE(fileContents(out("subscribers.csv")), QByteArray("yesterday\r\n"));
    }

    void aLogCutShortFailsTheRunAndLeavesNoOutput() {
        // The limit lets the output file (about 220 KB) through but not the log (about 380 KB).
        QVERIFY(writeFile(out("subscribers.csv"), "yesterday\r\n"));
        const ProcessOutcome outcome = runBrindle(
            environment(m_largeHost), {"Alias", "/f:" + out("subscribers.csv")}, fileSizeLimit(300'000));
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(logPath() + " is incomplete"), qPrintable(outcome.err));
        QVERIFY(outcome.out.isEmpty());
        QCOMPARE(outputFolder(), QStringList());
    }

    // From the same home folder a run on another host shares the log, one on the same host the
    // host; from another home, the output path.
    void aSecondRunOnTheSameLogRefusesAndTheFirstLogStaysWhole_data() {
        QTest::addColumn<bool>("sameHost");
        QTest::addColumn<bool>("otherHome");
        QTest::addColumn<bool>("sameOutput");
        QTest::addColumn<QString>("reason");
        QTest::addRow("same log") << false << false << false << "another export is writing the error log";
        QTest::addRow("same output from another home")
            << false << true << true << "another export is writing the output file";
        QTest::addRow("same host") << true << false << false << "Another copy";
    }
    void aSecondRunOnTheSameLogRefusesAndTheFirstLogStaysWhole() {
        QFETCH(bool, sameHost);
        QFETCH(bool, otherHome);
        QFETCH(bool, sameOutput);
        QFETCH(QString, reason);
        QProcess first;
        QVERIFY(startLargeRun(first, out("large.csv")));
        // Held still in the middle of its run, however fast the machine, while the second starts.
        const auto firstPid = static_cast<pid_t>(first.processId());
        QCOMPARE(::kill(firstPid, SIGSTOP), 0);
        const QString otherHomeFolder = m_dir.filePath("other-home");
        QVERIFY(QDir().mkpath(otherHomeFolder));
        const ProcessOutcome second = runBrindle(
            brindleEnvironment(sameHost ? m_largeHost : m_host, otherHome ? otherHomeFolder : home()),
            {"Alias", "/f:" + out(sameOutput ? "large.csv" : "small.csv")});
        QCOMPARE(::kill(firstPid, SIGCONT), 0);
        QCOMPARE(second.exitCode, 1);
        QVERIFY2(second.err.contains(reason), qPrintable(second.err));
        QVERIFY(!QFile::exists(out("small.csv")));

        QVERIFY(first.waitForFinished(120000));
        QCOMPARE(first.exitCode(), 0);
        const QByteArray log = fileContents(logPath());
        QCOMPARE(log.count("\r\nAlias="), kLargeHostSubscribers);
        QCOMPARE(log.count("Running brindle version:"), 1);
    }

    void takesOverLocksThatNoProcessHolds_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addRow("empty") << QByteArray();
        QTest::addRow("garbage") << QByteArray("\xff\xfe garbage, no process id\n");
    }
    void takesOverLocksThatNoProcessHolds() {
        QFETCH(QByteArray, contents);
        // The lock paths as the program sees them: this home, no runtime folder.
        qunsetenv("XDG_RUNTIME_DIR");
        QVERIFY(writeFile(brindle::SingleInstance::lockPath(m_host, home()), contents));
        QVERIFY(writeFile(logPath() + ".lock", contents));
        const ProcessOutcome outcome = runBrindle(environment(m_host), {"Alias", "/f:" + out("x.csv")});
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(fileContents(out("x.csv")), QByteArray("ALIAS\r\njsmith\r\nann\r\nlee\r\n"));
    }

    void aStopSignalEndsTheRunWithItsStatusAndNoOutput_data() {
        QTest::addColumn<int>("signal");  // named by the row
        QTest::addRow("SIGTERM") << int(SIGTERM);
        QTest::addRow("SIGINT") << int(SIGINT);
        QTest::addRow("SIGHUP") << int(SIGHUP);
    }
    void aStopSignalEndsTheRunWithItsStatusAndNoOutput() {
        QFETCH(int, signal);
        QVERIFY(writeFile(out("large.csv"), "yesterday\r\n"));
        QProcess run;
        QVERIFY(startLargeRun(run, out("large.csv")));
        QCOMPARE(::kill(static_cast<pid_t>(run.processId()), signal), 0);
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 128 + signal);
        const QList<QByteArray> lines = fileContents(logPath()).split('\n');
        QVERIFY(lines.size() > 20 && lines.last().isEmpty());
        const QByteArray lastLine = lines[lines.size() - 2];
        QVERIFY2(lastLine.contains("(error)") && lastLine.contains(QTest::currentDataTag()),
                 lastLine.constData());
        QCOMPARE(outputFolder(), QStringList());
    }

    void theWindowWithoutADisplaySaysSoInsteadOfAborting() {
        QProcessEnvironment env = environment(m_host);
        env.remove("QT_QPA_PLATFORM");
        const ProcessOutcome outcome = runBrindle(env, {});
        QCOMPARE(outcome.exitStatus, QProcess::NormalExit);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains("no display") && outcome.err.contains("/f:PATH"),
                 qPrintable(outcome.err));
    }

    void theWindowEndsOnAStopSignal() {
        QProcess window;
        QProcessEnvironment env = environment(m_host);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QVERIFY(startBrindle(window, env, {}));
        // The single-copy lock appears during start-up, after the signal is being watched.
        qunsetenv("XDG_RUNTIME_DIR");
        const QString lock = brindle::SingleInstance::lockPath(m_host, home());
        for (int i = 0; i < 400 && !QFile::exists(lock); ++i) QTest::qWait(25);
        QVERIFY(QFile::exists(lock));
        QCOMPARE(::kill(static_cast<pid_t>(window.processId()), SIGTERM), 0);
        QVERIFY(window.waitForFinished(10000));
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        QCOMPARE(window.exitCode(), 128 + SIGTERM);
    }
};

QTEST_GUILESS_MAIN(BrindleSafetyTest)
#include "test_brindle_safety.moc"
