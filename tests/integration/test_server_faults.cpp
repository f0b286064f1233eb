// A directory server that goes away or stops answering under a run, on a throwaway cluster of
// the test's own (scripts/with-postgres sets BRINDLE_TEST_ODBC and BRINDLE_TEST_PG_CTL). The
// run must end soon after, with one line naming the cause, status 1 and no output.
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "hostbuilder/sample_host.h"
#include "support/brindle_process.h"

using brindle::fixture::HostBuilder;
using namespace brindle::testing;

namespace {

constexpr int kSubscribers = 10000;
const QStringList kItems{"Alias", "Primary Extension", "MWI Status", "Mailbox Size"};

}  // namespace

class ServerFaultsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_host;
    QString m_connectionString;

    QString home() const { return m_dir.filePath("home"); }
    QString logPath() const { return home() + "/BrindleErrors.log"; }
    QString out(const QString& name) const { return m_dir.filePath("out/" + name); }
    QSqlDatabase fixture() const { return QSqlDatabase::database("fixture"); }

    // Starts a run with one statement a look-up, so that every subscriber asks the server,
    // and returns once it has written some subscribers.
    void startRun(QProcess& run, const QString& output, const QString& timeout = {}) {
        QProcessEnvironment env = brindleEnvironment(m_host, home());
        env.insert("BRINDLE_DIRECTORY", m_connectionString);
        env.insert("BRINDLE_LOOKUPS", "per-statement");
        if (!timeout.isEmpty()) env.insert("BRINDLE_DB_TIMEOUT", timeout);
        QFile::remove(logPath());
        run.setProcessEnvironment(env);
        run.start(brindleProgram(), QStringList(kItems) << "/f:" + output);
        QVERIFY(run.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (fileContents(logPath()).count("Alias=") < 50) {
            QVERIFY2(
                waited.elapsed() < 60000 && run.state() == QProcess::Running,
                qPrintable("the run never got going: " + QString::fromLocal8Bit(run.readAllStandardError())));
            QTest::qWait(10);
        }
    }

    // The server processes that serve the program, not the test.
    QList<qint64> programBackends() {
        QSqlQuery query(fixture());
        if (!query.exec("SELECT pid FROM pg_stat_activity WHERE backend_type = 'client backend' "
                        "AND pid <> pg_backend_pid()")) {
            return {};
        }
        QList<qint64> pids;
        while (query.next()) pids << query.value(0).toLongLong();
        return pids;
    }

    // The run ended within `seconds` of the fault, saying `cause` once, and left nothing behind.
    void verifyStoppedBy(QProcess& run, const QString& cause, int seconds) {
        QElapsedTimer stopping;
        stopping.start();
        QVERIFY2(run.waitForFinished(120000), "the run did not end");
        QVERIFY2(stopping.elapsed() < seconds * 1000,
                 qPrintable(QString("the run took %1 ms to end").arg(stopping.elapsed())));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(run.readAllStandardError());
        QVERIFY2(err.startsWith("brindle: the directory cannot be read: " + cause), qPrintable(err));
        QVERIFY2(err.count(u'\n') == 1, qPrintable(err));
        const QByteArray log = fileContents(logPath());
        const QList<QByteArray> lines = log.split('\n');
        QVERIFY(lines.size() > 2);
        QVERIFY2(
            lines[lines.size() - 2].startsWith("(error) the directory cannot be read: " + cause.toUtf8()),
            lines[lines.size() - 2].constData());
        QCOMPARE(log.count("the directory cannot be read"), 1);
        QCOMPARE(QDir(m_dir.filePath("out")).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

private slots:
    void initTestCase() {
        m_connectionString = qEnvironmentVariable("BRINDLE_TEST_ODBC");
        if (m_connectionString.isEmpty() || qEnvironmentVariableIsEmpty("BRINDLE_TEST_PG_CTL"))
            QSKIP(
                "no PostgreSQL cluster of the test's own (run it through scripts/test or "
                "scripts/with-postgres)");
        QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", "fixture");
        db.setDatabaseName(m_connectionString);
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        QVERIFY(QSqlQuery(db).exec("CREATE SCHEMA IF NOT EXISTS HalvernMbxDB1"));

        HostBuilder host;
        brindle::fixture::generateSample(host, kSubscribers, 5);
        QVERIFY(db.transaction());
        const auto written = host.writeDatabases(db, db, "HalvernMbxDB1.");
        QVERIFY2(written.ok(), written.ok() ? "" : qPrintable(written.error().message));
        QVERIFY(db.commit());
        host.withoutDirectoryDatabase();
        m_host = writeHost(host, m_dir.filePath("host"));
        QVERIFY(QDir().mkpath(home()) && QDir().mkpath(m_dir.filePath("out")));
    }

    // Frozen: the server's machine still takes the packets, but nothing comes back. The run
    // gives up after BRINDLE_DB_TIMEOUT and the driver's grace of 5 seconds.
    void aFrozenServerEndsTheRunAfterTheTimeOut() {
        QProcess run;
        startRun(run, out("frozen.csv"), "1");
        const QList<qint64> backends = programBackends();
        QVERIFY(!backends.isEmpty());
        for (const qint64 pid : backends) QCOMPARE(::kill(pid_t(pid), SIGSTOP), 0);
        verifyStoppedBy(run, "no answer from the directory for 6 seconds", 15);
        for (const qint64 pid : backends) ::kill(pid_t(pid), SIGCONT);
    }

    // Stopped: the connection is gone, which the next statement finds at once. Last, as the
    // cluster stays down.
    void aServerStoppedUnderTheRunEndsItAtOnce() {
        QProcess run;
        startRun(run, out("stopped.csv"));
        QProcess stop;
        stop.start(qEnvironmentVariable("BRINDLE_TEST_PG_CTL"), {"stop"});
        QVERIFY(stop.waitForFinished(30000));
        QCOMPARE(stop.exitCode(), 0);
        verifyStoppedBy(run, "", 10);
    }
};

QTEST_GUILESS_MAIN(ServerFaultsTest)
#include "test_server_faults.moc"
