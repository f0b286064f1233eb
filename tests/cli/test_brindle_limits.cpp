// The program against the limits of its machine and host files that are not plain files:
// each ends the run with a message and exit status 1, never with a signal or a wait.
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "support/brindle_process.h"
#include "support/sample_host_folder.h"

using brindle::fixture::HostBuilder;
using namespace brindle::testing;

class BrindleLimitsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString home() const { return m_dir.filePath("home"); }
    QString out(const QString& name) const { return m_dir.filePath("out/" + name); }

private slots:
    void init() {
        QVERIFY(QDir(home()).removeRecursively() && QDir().mkpath(home()));
        QVERIFY(QDir(out("")).removeRecursively() && QDir().mkpath(out("")));
    }

    // Thirty subscribers make about 9 KB, less than one write buffer: the file is written out
    // only when it is committed. SIGXFSZ keeps its default, unless the program ignores it.
    void aFileSizeLimitFailsTheRunWithAMessageInsteadOfKillingIt_data() {
        QTest::addColumn<int>("limit");
        QTest::addRow("output within one write buffer") << 4096;
    }
    void aFileSizeLimitFailsTheRunWithAMessageInsteadOfKillingIt() {
        QFETCH(int, limit);
        const QString host = writeSampleHost(m_dir.filePath("host"), 30, 7);
        const ProcessOutcome outcome = runBrindle(
            brindleEnvironment(host, home()),
            {"Alias", "Display Name", "Caller Input Key Actions", "Greetings Enabled", "/f:" + out("x.csv")},
            fileSizeLimit(limit));
        QCOMPARE(outcome.exitStatus, QProcess::NormalExit);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains("cannot write the output file " + out("x.csv") + ": File too large"),
                 qPrintable(outcome.err));
        QVERIFY(outcome.out.isEmpty());
        QCOMPARE(QDir(out("")).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void aHostFileThatIsNotAPlainFileIsRefusedAtStartUp_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("called");
        QTest::addRow("registry.reg as a named pipe") << QString("registry.reg") << "Registry file";
        QTest::addRow("status as a named pipe") << QString("status") << "Host status file";
    }
    void aHostFileThatIsNotAPlainFileIsRefusedAtStartUp() {
        QFETCH(QString, file);
        QFETCH(QString, called);
        QTemporaryDir folder;
        HostBuilder small;
        small.subscriber("jsmith");
        const QString host = writeHost(small, folder.path());
        const QString path = host + "/" + file;
        QVERIFY(QFile::remove(path));
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);

        QElapsedTimer timer;
        timer.start();
        const ProcessOutcome outcome = runBrindle(brindleEnvironment(host, home()), {"/f:" + out("x.csv")});
        QVERIFY2(timer.elapsed() < 20000, "start-up waited on the pipe");
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(called + " " + path + " is a named pipe, not a regular file."),
                 qPrintable(outcome.err));
        QVERIFY(!QFile::exists(out("x.csv")));
    }

    // Turned into text and copied on its way to the file, one 100 MB value needs more memory
    // than the limit leaves, wherever the allocation that fails is made.
    void runningOutOfMemoryEndsTheRunWithAMessage() {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("the address sanitizer reserves more address space than any limit leaves");
#endif
        QTemporaryDir folder;
        HostBuilder huge;
        huge.subscriber("jsmith");
        huge.subscriber("huge").set("DisplayName", QString(100'000'000, u'x'));
        const QString host = writeHost(huge, folder.path());
        const auto limitMemory = [] {
            rlimit memory{};
            ::getrlimit(RLIMIT_AS, &memory);
            memory.rlim_cur = 800'000'000;
            ::setrlimit(RLIMIT_AS, &memory);
        };
        const ProcessOutcome outcome = runBrindle(
            brindleEnvironment(host, home()), {"Alias", "Display Name", "/f:" + out("x.csv")}, limitMemory);
        QCOMPARE(outcome.exitStatus, QProcess::NormalExit);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains("out of memory"), qPrintable(outcome.err));
        QCOMPARE(QDir(out("")).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(BrindleLimitsTest)
#include "test_brindle_limits.moc"
