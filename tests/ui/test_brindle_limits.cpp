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

// The output of these items on the sample host is about 300 KB, its log about 20 KB.
constexpr int kSubscribers = 1000;
constexpr rlim_t kFileSizeLimit = 100'000;
const QStringList kItems{"Alias", "Display Name", "Caller Input Key Actions", "Greetings Enabled"};

}  // namespace

class BrindleLimitsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_host;

    QString home() const { return m_dir.filePath("home"); }
    QString out(const QString& name) const { return m_dir.filePath("out/" + name); }

private slots:
    void initTestCase() {
        HostBuilder host;
        brindle::fixture::generateSample(host, kSubscribers, 7);
        m_host = writeHost(host, m_dir.filePath("host"));
    }

    void init() {
        QVERIFY(QDir(home()).removeRecursively() && QDir().mkpath(home()));
        QVERIFY(QDir(m_dir.filePath("out")).removeRecursively() && QDir().mkpath(m_dir.filePath("out")));
    }

    void aFileSizeLimitFailsTheRunWithAMessageInsteadOfKillingIt() {
        // SIGXFSZ keeps its default, ending the process, unless the program itself ignores it.
        const auto limitFileSize = [] {
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = kFileSizeLimit;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        };
        const ProcessOutcome outcome =
            runBrindle(brindleEnvironment(m_host, home()),
                       QStringList(kItems) << "/f:" + out("subscribers.csv"), limitFileSize);
        QCOMPARE(outcome.exitStatus, QProcess::NormalExit);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains("cannot write the output file " + out("subscribers.csv")),
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
};

QTEST_GUILESS_MAIN(BrindleLimitsTest)
#include "test_brindle_limits.moc"
