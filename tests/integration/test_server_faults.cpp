// A directory server that goes away or stops answering under a run, on a throwaway cluster of
// the test's own (scripts/with-postgres sets BRINDLE_TEST_ODBC and BRINDLE_TEST_PG_CTL). The
// run must end soon after, with one line naming the cause, status 1 and no output.
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/sample_host.h"
#include "support/brindle_process.h"

using namespace brindle::testing;

class ServerFaultsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_host;
    QString m_connectionString;

    QString logPath() const { return m_dir.filePath("home/BrindleErrors.log"); }

    // Starts a run with one statement a look-up, so that every subscriber asks the server,
    // and returns once it has written some subscribers.
    void startRun(QProcess& run, const QString& timeout = {}) {
        QProcessEnvironment env = brindleEnvironment(m_host, m_dir.filePath("home"));
        env.insert("BRINDLE_DIRECTORY", m_connectionString);
        env.insert("BRINDLE_LOOKUPS", "per-statement");
        if (!timeout.isEmpty()) env.insert("BRINDLE_DB_TIMEOUT", timeout);
        QFile::remove(logPath());
        QVERIFY(startBrindle(run, env,
                             {"Alias", "Primary Extension", "MWI Status", "Mailbox bytes in use",
                              "/f:" + m_dir.filePath("out/x.csv")}));
        QElapsedTimer waited;
        waited.start();
        while (fileContents(logPath()).count("Alias=") < 50) {
            QVERIFY2(waited.elapsed() < 60000 && run.state() == QProcess::Running, "the run never got going");
            QTest::qWait(10);
        }
    }

    // The run ended within `seconds` of the fault, saying `cause` once, and left nothing behind.
    void verifyStoppedBy(QProcess& run, const QString& cause, int seconds) {
        QElapsedTimer stopping;
        stopping.start();
        QVERIFY2(run.waitForFinished(120000), "the run did not end");
        QVERIFY2(stopping.elapsed() < seconds * 1000,
                 qPrintable(QString("took %1 ms").arg(stopping.elapsed())));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(run.readAllStandardError());
        QVERIFY2(err.startsWith("brindle: the directory cannot be read: " + cause) && err.count(u'\n') == 1,
                 qPrintable(err));
        const QByteArray log = fileContents(logPath());
        QVERIFY2(log.sliced(log.lastIndexOf('\n', -2) + 1)
                     .startsWith("(error) the directory cannot be read: " + cause.toUtf8()),
                 log.right(200).constData());
        QCOMPARE(log.count("the directory cannot be read"), 1);
        QCOMPARE(QDir(m_dir.filePath("out")).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

private slots:
    void initTestCase() {
        m_connectionString = qEnvironmentVariable("BRINDLE_TEST_ODBC");
        if (m_connectionString.isEmpty() || qEnvironmentVariableIsEmpty("BRINDLE_TEST_PG_CTL"))
            QSKIP("no PostgreSQL cluster of the test's own (run it through scripts/with-postgres)");
        QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", "fixture");
        db.setDatabaseName(m_connectionString);
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        QVERIFY(QSqlQuery(db).exec("CREATE SCHEMA IF NOT EXISTS HalvernMbxDB1"));
        brindle::fixture::HostBuilder host;
        brindle::fixture::generateSample(host, 10000, 5);
        QVERIFY(db.transaction());
        const auto written = host.writeDatabases(db, db, "HalvernMbxDB1.");
        QVERIFY2(written.ok(), written.ok() ? "" : qPrintable(written.error().message));
        QVERIFY(db.commit());
        m_host = writeHost(host.withoutDirectoryDatabase(), m_dir.filePath("host"));
        QVERIFY(QDir().mkpath(m_dir.filePath("home")) && QDir().mkpath(m_dir.filePath("out")));
    }

    // Frozen: the server's machine still takes the packets, but nothing comes back. The run
    // gives up after BRINDLE_DB_TIMEOUT and the driver's grace of 5 seconds.
    void aFrozenServerEndsTheRunAfterTheTimeOut() {
        QProcess run;
        startRun(run, "1");
        QSqlQuery query(QSqlDatabase::database("fixture"));  // the server processes of the program
        QVERIFY(
            query.exec("SELECT pid FROM pg_stat_activity WHERE backend_type = 'client backend' "
                       "AND pid <> pg_backend_pid()"));
        QList<pid_t> backends;
        while (query.next()) backends << pid_t(query.value(0).toLongLong());
        QVERIFY(!backends.isEmpty());
        for (const pid_t pid : backends) QCOMPARE(::kill(pid, SIGSTOP), 0);
        verifyStoppedBy(run, "no answer from the directory for 6 seconds", 15);
        for (const pid_t pid : backends) ::kill(pid, SIGCONT);
    }

    // Stopped: the connection is gone, which the next statement finds at once. Last, as the
    // cluster stays down.
    void aServerStoppedUnderTheRunEndsItAtOnce() {
        QProcess run;
        startRun(run);
        QCOMPARE(runProcess(qEnvironmentVariable("BRINDLE_TEST_PG_CTL"), {"stop"}).exitCode, 0);
        verifyStoppedBy(run, "", 10);
    }
};

QTEST_GUILESS_MAIN(ServerFaultsTest)
#include "test_server_faults.moc"
