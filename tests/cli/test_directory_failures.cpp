// A directory that fails under a run: locked past its wait, or not answering at all. The run
// stops with one line naming the cause instead of going on and reporting success.
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "support/brindle_process.h"
#include "support/sample_host_folder.h"

using namespace brindle::testing;

class DirectoryFailuresTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_largeHost;

    QString home() const { return m_dir.filePath("home"); }
    QString out(const QString& name) const { return m_dir.filePath("out/" + name); }

private slots:
    void initTestCase() {
        m_largeHost = writeSampleHost(m_dir.filePath("large-host"), 20000, 11);
        QVERIFY(QDir().mkpath(home()) && QDir().mkpath(m_dir.filePath("out")));
    }

    void aDatabaseLockedUnderTheRunStopsItAfterTheWait() {
        QProcessEnvironment env = brindleEnvironment(m_largeHost, home());
        // One statement a look-up, so that the run meets the lock wherever it stands.
        env.insert("BRINDLE_LOOKUPS", "per-statement");
        env.insert("BRINDLE_DB_TIMEOUT", "1");
        const QString logPath = home() + "/BrindleErrors.log";
        QProcess run;
        QVERIFY(
            startBrindle(run, env, {"Alias", "Primary Extension", "MWI Status", "/f:" + out("locked.csv")}));
        // The run has begun once its log holds the banner: start-up is over.
        QElapsedTimer waited;
        waited.start();
        while (QFileInfo(logPath).size() == 0) {
            QVERIFY2(
                waited.elapsed() < 120000 && run.state() == QProcess::Running,
                qPrintable("the run never began: " + QString::fromLocal8Bit(run.readAllStandardError())));
            QTest::qWait(5);
        }
        const auto pid = static_cast<pid_t>(run.processId());
        QCOMPARE(::kill(pid, SIGSTOP), 0);
        // A writer takes the database: it waits for the run's read to end, and from then on
        // no read gets in. Its own thread, as a connection lives in the thread that made it.
        std::atomic<bool> release = false;
        std::atomic<bool> locked = false;
        std::thread writer([&] {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "writer");
                db.setDatabaseName(m_largeHost + "/HalvernDirDB.db");
                db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=30000");
                QSqlQuery lock(db);
                if (db.open() && lock.exec("BEGIN EXCLUSIVE")) locked = true;
                while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(10));
                lock.exec("ROLLBACK");
            }
            QSqlDatabase::removeDatabase("writer");
        });
        QTest::qWait(300);
        QCOMPARE(::kill(pid, SIGCONT), 0);
        QElapsedTimer stopping;
        stopping.start();
        const bool finished = run.waitForFinished(60000);
        release = true;
        writer.join();
        QVERIFY(finished);
        QVERIFY(locked);
        QVERIFY2(stopping.elapsed() < 15000, "the run did not stop soon after its wait");
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(run.readAllStandardError());
        QVERIFY2(err.startsWith("brindle: the directory cannot be read: database is locked"),
                 qPrintable(err));
        QCOMPARE(err.count('\n'), 1);
        // One last line names the cause; nothing of it repeats subscriber by subscriber.
        const QByteArray whole = fileContents(logPath);
        QVERIFY(whole.endsWith("\n") &&
                whole.sliced(whole.lastIndexOf('\n', -2) + 1)
                    .startsWith("(error) the directory cannot be read: database is locked"));
        QCOMPARE(whole.count("database is locked"), 1);
        QCOMPARE(whole.count("(error) in export."), 0);
        QCOMPARE(QDir(m_dir.filePath("out")).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void aServerThatNeverAnswersEndsStartUpAfterTheWait() {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        QList<QTcpSocket*> held;
        connect(&silent, &QTcpServer::newConnection, this, [&] { held << silent.nextPendingConnection(); });
        QProcessEnvironment env = brindleEnvironment(m_largeHost, home());
        env.insert("BRINDLE_DIRECTORY", QString("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%1;"
                                                "Database=x;Uid=x;Pwd=x")
                                            .arg(silent.serverPort()));
        env.insert("BRINDLE_DB_TIMEOUT", "2");
        QProcess run;
        QElapsedTimer waited;
        waited.start();
        QVERIFY(startBrindle(run, env, {"Alias", "/f:" + out("silent.csv")}));
        QTRY_VERIFY_WITH_TIMEOUT(run.state() == QProcess::NotRunning, 30000);
        QVERIFY2(waited.elapsed() < 15000, "start-up waited far longer than its time-out");
        QVERIFY(!held.isEmpty());
        QCOMPARE(run.exitCode(), 1);
        QVERIFY2(run.readAllStandardError().contains("Could not open database."), "no message");
        QVERIFY(!QFile::exists(out("silent.csv")));
    }
};

QTEST_GUILESS_MAIN(DirectoryFailuresTest)
#include "test_directory_failures.moc"
