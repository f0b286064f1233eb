// The real program run as a scheduled job or a user at a terminal runs it: what it answers,
// writes, shows and refuses.
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

#include "hostbuilder/host_builder.h"
#include "support/brindle_process.h"
#include "support/sample_host_folder.h"

using brindle::fixture::HostBuilder;
using namespace brindle::testing;

namespace {

constexpr int kSubscribers = 3000;  // long enough a run to draw its progress a few times

// A pseudo-terminal (raw, so that the bytes arrive as written) for the program's standard
// error, read on a thread of its own while the program runs.
class Terminal {
public:
    Terminal() {
        termios raw = {};
        cfmakeraw(&raw);
        if (::openpty(&m_controller, &m_terminal, nullptr, &raw, nullptr) != 0) qFatal("openpty failed");
        ::fcntl(m_controller, F_SETFD, FD_CLOEXEC);
        ::fcntl(m_terminal, F_SETFD, FD_CLOEXEC);
        m_reader = std::thread([this] {
            char buffer[4096];
            ssize_t got = 0;
            while ((got = ::read(m_controller, buffer, sizeof buffer)) > 0) m_bytes.append(buffer, got);
        });
    }
    // What the program wrote there, once it has ended.
    QByteArray close() {
        ::close(m_terminal);  // the read ends once the program's copy is gone too
        m_reader.join();
        ::close(m_controller);
        return m_bytes;
    }
    std::function<void()> asStandardError() const {
        return [fd = m_terminal] { ::dup2(fd, STDERR_FILENO); };
    }

private:
    int m_controller = -1;
    int m_terminal = -1;
    QByteArray m_bytes;
    std::thread m_reader;
};

}  // namespace

class BrindleProcessTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_host;
    QString m_largeHost;

    QString home() const { return m_dir.filePath("home"); }
    QString logPath() const { return home() + "/BrindleErrors.log"; }
    QString out(const QString& name) const { return m_dir.filePath("out/" + name); }

private slots:
    void initTestCase() {
        HostBuilder host;
        host.subscriber("jsmith");
        host.subscriber("ann").set("DisplayName", "Lee, \"Ann\"");
        host.subscriber("nocos").set("COSObjectID", QVariant());
        m_host = writeHost(host, m_dir.filePath("host"));
        m_largeHost = writeSampleHost(m_dir.filePath("large-host"), kSubscribers, 11);
    }
    void init() {
        QVERIFY(QDir(home()).removeRecursively() && QDir().mkpath(home()));
        QVERIFY(QDir(out("")).removeRecursively() && QDir().mkpath(out("")));
    }

    // `out` is what standard output begins with (%1 the output, %2 the log), empty for nothing.
    void answersTheCommandLine_data() {
        QTest::addColumn<QStringList>("arguments");  // %1 the output
        QTest::addColumn<QString>("out");
        QTest::addColumn<bool>("readOnlyBefore");  // an old output file the user may not write
        QTest::addColumn<QString>("err");
        QTest::addColumn<QByteArray>("file");
        const QString written = "2 subscriber(s) written to %1, 1 error(s) logged in %2\n";
        const QString typo = "brindle: \"Alais\" is part of no data item label (brindle --list shows them)\n";
        const QByteArray alias = "ALIAS\r\njsmith\r\nann\r\n";
        const QByteArray none = "(missing)";
        QTest::addRow("--help") << QStringList{"--help"} << "Usage: brindle" << false << "" << none;
        QTest::addRow("/?") << QStringList{"/?"} << "Usage: brindle" << false << "" << none;
        QTest::addRow("--version") << QStringList{"--version"} << "brindle 1." << false << "" << none;
        QTest::addRow("--list") << QStringList{"--list"} << "Alias\nFirst Name\nLast Name\n"
                                << false << "" << none;
        QTest::addRow("labels")
            << QStringList{"Alias", "Display Name", "/f:%1"} << written << false << ""
            << QByteArray("ALIAS,DISPLAY_NAME\r\njsmith,Jsmith Tester\r\nann,\"Lee, \"\"Ann\"\"\"\r\n");
        QTest::addRow("typo warned") << QStringList{"Alais", "Display Name", "/f:%1"} << written << false
                                     << typo
                                     << QByteArray(
                                            "DISPLAY_NAME\r\nJsmith Tester\r\n\"Lee, \"\"Ann\"\"\"\r\n");
        QTest::addRow("quiet") << QStringList{"--quiet", "Alias", "/f:%1"} << "" << false << "" << alias;
        QTest::addRow("quiet still warns")
            << QStringList{"--quiet", "Alais", "Alias", "/f:%1"} << "" << false << typo << alias;
        QTest::addRow("read-only file replaced")
            << QStringList{"Alias", "/f:%1"} << written << true << "" << alias;
    }
    void answersTheCommandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        QFETCH(bool, readOnlyBefore);
        QFETCH(QString, err);
        QFETCH(QByteArray, file);
        const QString output = this->out("subscribers.csv");
        if (readOnlyBefore)
            QVERIFY(writeFile(output, "old\r\n") && QFile::setPermissions(output, QFileDevice::ReadOwner));
        for (QString& argument : arguments) argument = argument.arg(output);
        const ProcessOutcome outcome = runBrindle(brindleEnvironment(m_host, home()), arguments);
        QCOMPARE(outcome.exitCode, 0);
        if (out.isEmpty())
            QCOMPARE(outcome.out, QString());
        else
            QVERIFY2(outcome.out.startsWith(out.arg(output, logPath())), qPrintable(outcome.out));
        QCOMPARE(outcome.err, err);
        QCOMPARE(fileContents(output), file);
        if (file == "(missing)") QVERIFY(QDir(home()).isEmpty());
    }

    // The row names what is changed about the run; %1 is the output folder.
    void refusesWithStatusOneAndAReason_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::addRow("no path") << QStringList{"Alias"} << "/f:";
        QTest::addRow("unknown option") << QStringList{"Alias", "--foo", "/f:%1/x.csv"}
                                        << "brindle: unknown option --foo (see brindle --help)\n";
        QTest::addRow("folder missing two levels")
            << QStringList{"/f:%1/a/b/x.csv"} << "cannot create the output folder";
        QTest::addRow("output cannot be written")
            << QStringList{"/f:/proc/x.csv"} << "cannot write the output file";
        // Refused before the folder is made.
        QTest::addRow("path ends in a slash") << QStringList{"/f:%1/new/"} << "names a folder, not a file";
        // Without a home the log would land in the root folder.
        QTest::addRow("HOME unset") << QStringList{"/f:%1/x.csv"} << "HOME is not set";
        QTest::addRow("HOME empty") << QStringList{"/f:%1/x.csv"} << "HOME is not set";
        QTest::addRow("no database") << QStringList{"/f:%1/x.csv"} << "Could not open database.";
    }
    void refusesWithStatusOneAndAReason() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        const QString change = QTest::currentDataTag();
        QString host = m_host;
        if (change == "no database") {
            HostBuilder builder;
            builder.subscriber("jsmith");
            host = writeHost(builder.withoutDirectoryDatabase(), m_dir.filePath("no-database"));
        }
        QProcessEnvironment environment = brindleEnvironment(host, home());
        if (change == "HOME unset") environment.remove("HOME");
        if (change == "HOME empty") environment.insert("HOME", "");
        for (QString& argument : arguments) argument = argument.arg(out(""));
        const ProcessOutcome outcome = runBrindle(environment, arguments);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(reason), qPrintable(outcome.err));
        QVERIFY(outcome.out.isEmpty());
        QCOMPARE(QDir(out("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
        if (change == "output cannot be written")
            QVERIFY(fileContents(logPath()).contains("(error) cannot write the output file"));
        else
            QVERIFY(QDir(home()).isEmpty());
    }

    // `terminal` is a pattern for the whole of it: N stands for a progress line drawn.
    void drawsTheProgressInPlace_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("terminal");
        QTest::addColumn<QString>("out");
        const QString summary = QStringLiteral("%1 subscriber(s) written to ").arg(kSubscribers - 1);
        QTest::addRow("drawn and blanked") << QStringList{} << "^(N)+\r +\r$" << summary;
        QTest::addRow("after the warnings")
            << QStringList{"Alais"} << "^brindle: \"Alais\" is part of no data item label [^\r]*\n(N)+\r +\r$"
            << summary;
        QTest::addRow("quiet") << QStringList{"--quiet"} << "^$"
                               << "";
    }
    void drawsTheProgressInPlace() {
        QFETCH(QStringList, options);
        QFETCH(QString, terminal);
        QFETCH(QString, out);
        QTemporaryDir folder;
        Terminal tty;
        const ProcessOutcome outcome =
            runBrindle(brindleEnvironment(m_largeHost, folder.path()),
                       options << "/f:" + folder.filePath("all.csv"), tty.asStandardError());
        const QString drawn = QString::fromLatin1(tty.close());
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY(out.isEmpty() ? outcome.out.isEmpty() : outcome.out.startsWith(out));
        const QString line =
            QStringLiteral("\r\\d+ of %1 subscribers \\(\\d+%\\)(, \\d+/s, \\d+:\\d\\d left)?")
                .arg(kSubscribers);
        QVERIFY2(QRegularExpression(QString(terminal).replace("N", line)).match(drawn).hasMatch(),
                 qPrintable(drawn.right(300)));
        // From the first subscriber on; a quarter of a second later the rate is known.
        static const QRegularExpression count("\r(\\d+) of ");
        QList<int> counts;
        for (const auto& match : count.globalMatch(drawn)) counts << match.captured(1).toInt();
        if (!counts.isEmpty()) QCOMPARE(counts.first(), 1);
        QVERIFY(std::is_sorted(counts.begin(), counts.end()));
        if (counts.size() >= 4) QVERIFY(drawn.split('\r').at(4).contains("/s, "));
    }
    // A byte that is not text in the locale would otherwise turn into U+FFFD: another name.
    void refusesAPathThatIsNotTextInTheLocale() {
        const ProcessOutcome outcome = runProcess(
            "/bin/sh",
            {"-c", R"sh(exec "$0" Alias "$(printf '/f:%s/\377.csv' "$1")")sh", brindleProgram(), out("")},
            brindleEnvironment(m_host, home()));
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains("is not valid text in the locale's encoding"), qPrintable(outcome.err));
        QCOMPARE(QDir(out("")).entryList(QDir::Files), QStringList());
        QCOMPARE(::access((QFile::encodeName(out("")) + "/\377.csv").constData(), F_OK), -1);
    }
};

QTEST_GUILESS_MAIN(BrindleProcessTest)
#include "test_brindle_process.moc"
