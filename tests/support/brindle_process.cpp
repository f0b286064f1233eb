#include "support/brindle_process.h"

#include <sys/resource.h>

#include <QDir>
#include <QFile>

namespace brindle::testing {

QString brindleProgram() {
    return qEnvironmentVariable("BRINDLE_BIN_DIR") + "/brindle";
}

QProcessEnvironment brindleEnvironment(const QString& host, const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("BRINDLE_HOST", host);
    env.insert("HOME", home);
    env.insert("QT_QPA_PLATFORM", "no-such-platform");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("XDG_RUNTIME_DIR");
    env.remove("BRINDLE_DIRECTORY");
    return env;
}

ProcessOutcome runBrindle(const QProcessEnvironment& environment, const QStringList& arguments,
                          const std::function<void()>& childSetup) {
    return runProcess(brindleProgram(), arguments, environment, childSetup, 60000);
}

ProcessOutcome runProcess(const QString& program, const QStringList& arguments,
                          const QProcessEnvironment& environment, const std::function<void()>& childSetup,
                          int timeoutMs) {
    QProcess process;
    QProcessEnvironment childEnvironment = environment;
    // A child under a resource limit may write its coverage data (in a coverage build) cut
    // short, which would spoil every later run's: it writes them apart, to be thrown away.
    if (childSetup) childEnvironment.insert("GCOV_PREFIX", QDir::tempPath() + "/brindle-limited-run");
    process.setProcessEnvironment(childEnvironment);
    if (childSetup) process.setChildProcessModifier(childSetup);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) process.kill();
    process.waitForFinished();
    return {process.exitCode(), process.exitStatus(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

bool startBrindle(QProcess& process, const QProcessEnvironment& environment, const QStringList& arguments) {
    process.setProcessEnvironment(environment);
    process.start(brindleProgram(), arguments);
    return process.waitForStarted();
}

std::function<void()> fileSizeLimit(qint64 bytes) {
    return [bytes] {
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
}

QString writeHost(const fixture::HostBuilder& host, const QString& folder) {
    const auto written = host.write(folder);
    if (!written) qFatal("%s", qPrintable(written.error().message));
    return written.value();
}

}  // namespace brindle::testing
