// The program as an administrator's job meets it: it replaces nothing but its own output,
// never reports success that is not true, and stops cleanly when told to.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "hostbuilder/sample_host.h"
#include "platform/single_instance.h"
#include "support/brindle_process.h"

using brindle::fixture::HostBuilder;
using namespace brindle::testing;

namespace {

// What a path is, to tell that nothing replaced or changed it.
struct Snapshot {
    bool exists = false;
    ino_t inode = 0;
    mode_t mode = 0;
    QByteArray bytes;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const QString& path) {
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) return {};
    Snapshot shot{true, status.st_ino, status.st_mode, {}};
    if (S_ISREG(status.st_mode) || S_ISLNK(status.st_mode)) shot.bytes = fileContents(path);
    return shot;
}

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

    // A run on the large host, started and caught once it has logged subscribers.
    bool startLargeRun(QProcess& process, const QString& output) const {
        process.setProcessEnvironment(environment(m_largeHost));
        process.start(brindleProgram(), {"Alias", "Primary Extension", "MWI Status", "/f:" + output});
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
        HostBuilder large;
        brindle::fixture::generateSample(large, kLargeHostSubscribers, 7);
        m_largeHost = writeHost(large, m_dir.filePath("large-host"));
    }

    void init() {
        QVERIFY(QDir(home()).removeRecursively() && QDir().mkpath(home()));
        QVERIFY(QDir(m_dir.filePath("out")).removeRecursively() && QDir().mkpath(m_dir.filePath("out")));
    }

    void refusesAnOutputPathThatIsNotItsOwnToReplace_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::addRow("named pipe") << "pipe"
                                    << "is a named pipe";
        QTest::addRow("link to a regular file") << "link"
                                                << "is a symbolic link";
        QTest::addRow("dangling link") << "dangling"
                                       << "is a symbolic link";
        QTest::addRow("folder") << "folder"
                                << "is a folder";
        QTest::addRow("the error log") << "log"
                                       << "is the error log";
        for (const char* file : {"registry.reg", "status", "HalvernDirDB.db", "HalvernMbxDB1.db"})
            QTest::addRow("host's %s", file) << file << "is the host's own file";
        QTest::addRow("device") << "device"
                                << "is a character device";
    }
    void refusesAnOutputPathThatIsNotItsOwnToReplace() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QVERIFY(writeFile(out("target.csv"), "yesterday\r\n"));
        QVERIFY(writeFile(logPath(), "yesterday's log\r\n"));
        QString path = out("output");
        if (kind == "pipe") QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        if (kind == "link") QVERIFY(QFile::link(out("target.csv"), path));
        if (kind == "dangling") QVERIFY(QFile::link(out("missing.csv"), path));
        if (kind == "folder") QVERIFY(QDir().mkpath(path));
        if (kind == "log") path = out("../home/BrindleErrors.log");
        if (kind.contains('.') || kind == "status") path = m_host + "/" + kind;
        if (kind == "device" &&
            ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("cannot make a device node here (not root, or no CAP_MKNOD)");

        const QStringList watched{path, out("target.csv"), logPath(), m_host + "/HalvernDirDB.db",
                                  m_host + "/registry.reg"};
        QList<Snapshot> before;
        for (const QString& file : watched) before << snapshot(file);

        const ProcessOutcome outcome = runBrindle(environment(m_host), {"Alias", "/f:" + path});
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(reason), qPrintable(outcome.err));
        QVERIFY(outcome.out.isEmpty());
        for (qsizetype i = 0; i < watched.size(); ++i)
            QVERIFY2(snapshot(watched[i]) == before[i], qPrintable(watched[i]));
        QCOMPARE(QDir(m_dir.filePath("out")).entryList(QDir::Files | QDir::Hidden).filter(".csv."),
                 QStringList());
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
        const auto limitFileSize = [] {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 300'000;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        };
        QVERIFY(writeFile(out("subscribers.csv"), "yesterday\r\n"));
        const ProcessOutcome outcome =
            runBrindle(environment(m_largeHost), {"Alias", "/f:" + out("subscribers.csv")}, limitFileSize);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(logPath() + " is incomplete"), qPrintable(outcome.err));
        QVERIFY(outcome.out.isEmpty());
        QVERIFY(!QFile::exists(out("subscribers.csv")));
        QCOMPARE(QDir(m_dir.filePath("out")).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // From the same home folder it would share the log; from another, the output path.
    void aSecondRunOnTheSameLogRefusesAndTheFirstLogStaysWhole_data() {
        QTest::addColumn<bool>("sameOutput");
        QTest::addColumn<QString>("reason");
        QTest::addRow("same log") << false << "another export is writing the error log";
        QTest::addRow("same output from another home") << true << "another export is writing the output file";
    }
    void aSecondRunOnTheSameLogRefusesAndTheFirstLogStaysWhole() {
        QFETCH(bool, sameOutput);
        QFETCH(QString, reason);
        QProcess first;
        QVERIFY(startLargeRun(first, out("large.csv")));
        // Held still in the middle of its run, however fast the machine, while the second starts.
        const auto firstPid = static_cast<pid_t>(first.processId());
        QCOMPARE(::kill(firstPid, SIGSTOP), 0);
        const QString otherHome = m_dir.filePath("other-home");
        QVERIFY(QDir().mkpath(otherHome));
        const ProcessOutcome second =
            sameOutput
                ? runBrindle(brindleEnvironment(m_host, otherHome), {"Alias", "/f:" + out("large.csv")})
                : runBrindle(environment(m_host), {"Alias", "/f:" + out("small.csv")});
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
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("name");
        QTest::addRow("SIGTERM") << int(SIGTERM) << "SIGTERM";
        QTest::addRow("SIGINT") << int(SIGINT) << "SIGINT";
        QTest::addRow("SIGHUP") << int(SIGHUP) << "SIGHUP";
    }
    void aStopSignalEndsTheRunWithItsStatusAndNoOutput() {
        QFETCH(int, signal);
        QFETCH(QString, name);
        QVERIFY(writeFile(out("large.csv"), "yesterday\r\n"));
        QProcess run;
        QVERIFY(startLargeRun(run, out("large.csv")));
        QCOMPARE(::kill(static_cast<pid_t>(run.processId()), signal), 0);
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 128 + signal);
        const QList<QByteArray> lines = fileContents(logPath()).split('\n');
        QVERIFY(lines.size() > 20);
        QCOMPARE(lines.last(), QByteArray());
        const QByteArray lastLine = lines[lines.size() - 2];
        QVERIFY2(lastLine.contains("(error)") && lastLine.contains(name.toUtf8()), lastLine.constData());
        QCOMPARE(QDir(m_dir.filePath("out")).entryList(QDir::Files | QDir::Hidden), QStringList());
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
        window.setProcessEnvironment(env);
        window.start(brindleProgram(), {});
        QVERIFY(window.waitForStarted());
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
