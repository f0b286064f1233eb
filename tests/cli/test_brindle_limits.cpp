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
#include "hostbuilder/sample_host.h"
#include "support/brindle_process.h"

using brindle::fixture::HostBuilder;
using namespace brindle::testing;

namespace {

// The output of these items on the sample host is about 300 KB, its log about 20 KB; on the
// small one about 9 KB, less than one write buffer, and its log 1 KB.
constexpr int kSubscribers = 1000;
constexpr int kSmallHostSubscribers = 30;
const QStringList kItems{"Alias", "Display Name", "Caller Input Key Actions", "Greetings Enabled"};

}  // namespace

class BrindleLimitsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_host;
    QString m_smallHost;

    QString home() const { return m_dir.filePath("home"); }
    QString out(const QString& name) const { return m_dir.filePath("out/" + name); }

private slots:
    void initTestCase() {
        HostBuilder host;
        brindle::fixture::generateSample(host, kSubscribers, 7);
        m_host = writeHost(host, m_dir.filePath("host"));
        HostBuilder smallHost;
        brindle::fixture::generateSample(smallHost, kSmallHostSubscribers, 7);
        m_smallHost = writeHost(smallHost, m_dir.filePath("small-host"));
    }

    void init() {
        QVERIFY(QDir(home()).removeRecursively() && QDir().mkpath(home()));
        QVERIFY(QDir(m_dir.filePath("out")).removeRecursively() && QDir().mkpath(m_dir.filePath("out")));
    }

    void aFileSizeLimitFailsTheRunWithAMessageInsteadOfKillingIt_data() {
        QTest::addColumn<bool>("small");
        QTest::addColumn<int>("limit");
        QTest::addRow("output past the limit") << false << 100'000;
        // Written out only when the file is committed.
        QTest::addRow("output within one write buffer") << true << 4096;
    }
    void aFileSizeLimitFailsTheRunWithAMessageInsteadOfKillingIt() {
        QFETCH(bool, small);
        QFETCH(int, limit);
        // SIGXFSZ keeps its default, ending the process, unless the program itself ignores it.
        const auto limitFileSize = [limit] {
            rlimit fileSize{};
            ::getrlimit(RLIMIT_FSIZE, &fileSize);
            fileSize.rlim_cur = static_cast<rlim_t>(limit);
            ::setrlimit(RLIMIT_FSIZE, &fileSize);
        };
        const ProcessOutcome outcome =
            runBrindle(brindleEnvironment(small ? m_smallHost : m_host, home()),
                       QStringList(kItems) << "/f:" + out("subscribers.csv"), limitFileSize);
        QCOMPARE(outcome.exitStatus, QProcess::NormalExit);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains("cannot write the output file " + out("subscribers.csv") +
                                      ": File too large"),
                 qPrintable(outcome.err));
        QVERIFY(outcome.out.isEmpty());
        QCOMPARE(QDir(m_dir.filePath("out")).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void aHostFileThatIsNotAPlainFileIsRefusedAtStartUp_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::addRow("registry.reg as a named pipe")
            << "registry.reg"
            << "Registry file %1 is a named pipe, not a regular file.";
        QTest::addRow("status as a named pipe") << "status"
                                                << "Host status file %1 is a named pipe, not a regular file.";
    }
    void aHostFileThatIsNotAPlainFileIsRefusedAtStartUp() {
        QFETCH(QString, file);
        QFETCH(QString, message);
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
        QVERIFY2(outcome.err.contains(message.arg(path)), qPrintable(outcome.err));
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
        QCOMPARE(QDir(m_dir.filePath("out")).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(BrindleLimitsTest)
#include "test_brindle_limits.moc"
