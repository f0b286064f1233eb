// The progress line as a user at a terminal sees it, and its absence for a scheduled job.
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "hostbuilder/sample_host.h"
#include "support/brindle_process.h"

using brindle::fixture::HostBuilder;
using namespace brindle::testing;

namespace {

constexpr int kSubscribers = 3000;

struct TerminalRun {
    int exitCode = -1;
    QByteArray terminal;  // what standard error wrote, byte for byte
    QString out;
};

// Runs the program with standard error on a pseudo-terminal (raw, so that the bytes arrive as
// written) and standard output on a pipe, reading the terminal while the program runs.
TerminalRun runOnTerminal(const QProcessEnvironment& environment, const QStringList& arguments) {
    int controller = -1;
    int terminal = -1;
    termios raw = {};
    cfmakeraw(&raw);
    if (::openpty(&controller, &terminal, nullptr, &raw, nullptr) != 0) qFatal("openpty failed");
    ::fcntl(controller, F_SETFD, FD_CLOEXEC);
    ::fcntl(terminal, F_SETFD, FD_CLOEXEC);
    ::fcntl(controller, F_SETFL, O_NONBLOCK);

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setChildProcessModifier([terminal] { ::dup2(terminal, STDERR_FILENO); });
    process.start(brindleProgram(), arguments);
    const bool started = process.waitForStarted();
    ::close(terminal);

    TerminalRun run;
    const auto drain = [&] {
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(controller, buffer, sizeof buffer)) > 0) run.terminal.append(buffer, got);
    };
    QElapsedTimer timer;
    timer.start();
    while (started && !process.waitForFinished(20) && timer.elapsed() < 60000) drain();
    if (process.state() != QProcess::NotRunning) process.kill();
    process.waitForFinished();
    drain();
    ::close(controller);
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    return run;
}

// The counts of the progress lines drawn, in order.
QList<int> drawnCounts(const QByteArray& terminal) {
    static const QRegularExpression line(
        QStringLiteral("\r(\\d+) of %1 subscribers \\(\\d+%\\)").arg(kSubscribers));
    QList<int> counts;
    for (const auto& match : line.globalMatch(QString::fromLatin1(terminal)))
        counts << match.captured(1).toInt();
    return counts;
}

}  // namespace

class ProgressTerminalTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_host;

    QProcessEnvironment environment() const { return brindleEnvironment(m_host, m_dir.filePath("home")); }
    QString output() const { return m_dir.filePath("out/all.csv"); }

private slots:
    void initTestCase() {
        QVERIFY(QDir().mkpath(m_dir.filePath("home")));
        HostBuilder host;
        brindle::fixture::generateSample(host, kSubscribers, 11);
        m_host = writeHost(host, m_dir.filePath("host"));
    }

    void showsProgressInPlaceOnATerminalAndBlanksItAtTheEnd() {
        const TerminalRun run = runOnTerminal(environment(), {"/f:" + output()});
        QCOMPARE(run.exitCode, 0);
        const QList<int> counts = drawnCounts(run.terminal);
        QVERIFY2(counts.size() >= 2, run.terminal.constData());
        QCOMPARE(counts.first(), 1);
        QVERIFY(std::is_sorted(counts.begin(), counts.end()));
        QVERIFY(counts.last() <= kSubscribers);
        // A quarter of a second has passed by the fourth drawing at the latest: the rate is known.
        if (counts.size() >= 4) {
            const QByteArray fourth = run.terminal.split('\r').at(4);
            QVERIFY2(QRegularExpression("/s, \\d+:\\d\\d left").match(QString::fromLatin1(fourth)).hasMatch(),
                     fourth.constData());
        }
        // The last thing on the terminal is the line blanked, the cursor back at its start.
        static const QRegularExpression blanked(QStringLiteral("\r +\r$"));
        QVERIFY2(blanked.match(QString::fromLatin1(run.terminal)).hasMatch(),
                 run.terminal.right(200).constData());
        QVERIFY(!run.terminal.contains('\n'));
        QVERIFY(run.out.startsWith(QStringLiteral("%1 subscriber(s) written to ").arg(kSubscribers - 1)));
    }

    void showsNoProgressWhenStandardErrorIsAPipe() {
        const ProcessOutcome outcome = runBrindle(environment(), {"/f:" + output()});
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(outcome.err, QString());
        QVERIFY(outcome.out.startsWith(QStringLiteral("%1 subscriber(s) written to ").arg(kSubscribers - 1)));
    }

    void quietShowsNothingEvenOnATerminal() {
        const TerminalRun run = runOnTerminal(environment(), {"--quiet", "/f:" + output()});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.terminal, QByteArray());
        QCOMPARE(run.out, QString());
        QVERIFY(fileContents(output()).count('\n') == kSubscribers);
    }

    void warningsStandOnTheirOwnLinesBeforeTheProgress() {
        const TerminalRun run = runOnTerminal(environment(), {"Alais", "/f:" + output()});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.terminal.startsWith("brindle: \"Alais\" is part of no data item label"));
        const qsizetype progress = run.terminal.indexOf("\r1 of ");
        QVERIFY(progress > 0);
        QCOMPARE(run.terminal.at(progress - 1), '\n');
    }
};

QTEST_GUILESS_MAIN(ProgressTerminalTest)
#include "test_progress_terminal.moc"
