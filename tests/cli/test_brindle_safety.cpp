// The program caught in the middle of a long run: by a second run, a stop signal or a writer
// locking the directory. It never reports success that is not true, and leaves no output.
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>

#include "hostbuilder/host_builder.h"
#include "platform/single_instance.h"
#include "support/brindle_process.h"
#include "support/sample_host_folder.h"

using brindle::fixture::HostBuilder;
using namespace brindle::testing;

constexpr int kLargeHostSubscribers = 20000;

class BrindleSafetyTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_host;       // three subscribers
    QString m_largeHost;  // long enough a run to be caught in the middle

    QString home() const { return m_dir.filePath("home"); }
    QString logPath() const { return QDir(home()).filePath("BrindleErrors.log"); }
    QString out(const QString& name) const { return m_dir.filePath("out/" + name); }
    QStringList outputFolder() const { return QDir(out("")).entryList(QDir::Files | QDir::Hidden); }

    // A run on the large host, started and caught once it has logged subscribers.
    bool startLargeRun(QProcess& process, const QProcessEnvironment& environment) const {
        startBrindle(process, environment,
                     {"Alias", "Primary Extension", "MWI Status", "/f:" + out("large.csv")});
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
        qunsetenv("XDG_RUNTIME_DIR");  // the lock paths as the program sees them
    }
    void init() {
        QVERIFY(QDir(home()).removeRecursively() && QDir().mkpath(home()));
        QVERIFY(QDir(out("")).removeRecursively() && QDir().mkpath(out("")));
    }

    // From the same home folder a run on another host shares the log; from another home, the
    // output path. (A second run on the same host is start-up's to refuse.)
    void aSecondRunOnTheSameLogRefusesAndTheFirstLogStaysWhole_data() {
        QTest::addColumn<bool>("otherHome");
        QTest::addColumn<QString>("reason");
        QTest::addRow("same log") << false << "another export is writing the error log";
        QTest::addRow("same output from another home") << true << "another export is writing the output";
    }
    void aSecondRunOnTheSameLogRefusesAndTheFirstLogStaysWhole() {
        QFETCH(bool, otherHome);
        QFETCH(QString, reason);
        QProcess first;
        QVERIFY(startLargeRun(first, brindleEnvironment(m_largeHost, home())));
        // Held still in the middle of its run, however fast the machine, while the second starts.
        const auto firstPid = static_cast<pid_t>(first.processId());
        QCOMPARE(::kill(firstPid, SIGSTOP), 0);
        const QString otherHomeFolder = m_dir.filePath("other-home");
        QVERIFY(QDir().mkpath(otherHomeFolder));
        const ProcessOutcome second =
            runBrindle(brindleEnvironment(m_host, otherHome ? otherHomeFolder : home()),
                       {"Alias", "/f:" + out(otherHome ? "large.csv" : "small.csv")});
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

    void aStopSignalEndsTheRunWithItsStatusAndNoOutput_data() {
        QTest::addColumn<int>("signal");  // named by the row
        for (const int signal : {SIGTERM, SIGINT, SIGHUP})
            QTest::addRow("SIG%s", sigabbrev_np(signal)) << signal;
    }
    void aStopSignalEndsTheRunWithItsStatusAndNoOutput() {
        QFETCH(int, signal);
        QVERIFY(writeFile(out("large.csv"), "yesterday\r\n"));
        QProcess run;
        QVERIFY(startLargeRun(run, brindleEnvironment(m_largeHost, home())));
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

    void theWindowEndsOnAStopSignal() {
        QProcess window;
        QProcessEnvironment env = brindleEnvironment(m_host, home());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QVERIFY(startBrindle(window, env, {}));
        // The single-copy lock appears during start-up, after the signal is being watched.
        const QString lock = brindle::SingleInstance::lockPath(m_host, home());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 10000);
        QCOMPARE(::kill(static_cast<pid_t>(window.processId()), SIGTERM), 0);
        QVERIFY(window.waitForFinished(10000));
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        QCOMPARE(window.exitCode(), 128 + SIGTERM);
    }

    // One statement a look-up, so that the run meets the lock wherever it stands; the writer
    // waits for the run's read to end, and from then on no read gets in.
    void aDatabaseLockedUnderTheRunStopsItAfterTheWait() {
        QProcessEnvironment env = brindleEnvironment(m_largeHost, home());
        env.insert("BRINDLE_LOOKUPS", "per-statement");
        env.insert("BRINDLE_DB_TIMEOUT", "1");
        QProcess run;
        QVERIFY(startLargeRun(run, env));
        const auto pid = static_cast<pid_t>(run.processId());
        QCOMPARE(::kill(pid, SIGSTOP), 0);
        std::atomic<bool> release = false;
        std::atomic<bool> locked = false;
        std::thread writer([&] {  // a connection lives in the thread that made it
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "writer");
            db.setDatabaseName(m_largeHost + "/HalvernDirDB.db");
            db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=30000");
            locked = db.open() && QSqlQuery(db).exec("BEGIN EXCLUSIVE");
            while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            db.close();  // the transaction rolled back
        });
        QTest::qWait(300);
        QCOMPARE(::kill(pid, SIGCONT), 0);
        const bool finished = run.waitForFinished(15000);
        release = true;
        writer.join();
        QVERIFY2(finished, "the run did not stop soon after its wait");
        QVERIFY(locked);
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(run.readAllStandardError());
        QVERIFY2(err.startsWith("brindle: the directory cannot be read: database is locked") &&
                     err.count('\n') == 1,
                 qPrintable(err));
        // One last line names the cause; nothing of it repeats subscriber by subscriber.
        const QByteArray log = fileContents(logPath());
        QVERIFY(log.sliced(log.lastIndexOf('\n', -2) + 1).startsWith("(error) the directory cannot be read"));
        QCOMPARE(log.count("database is locked"), 1);
        QCOMPARE(log.count("(error) in export."), 0);
        QCOMPARE(outputFolder(), QStringList());
    }
};

QTEST_GUILESS_MAIN(BrindleSafetyTest)
#include "test_brindle_safety.moc"
