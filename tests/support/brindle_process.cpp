#include "support/brindle_process.h"

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
    QProcess process;
    process.setProcessEnvironment(environment);
    if (childSetup) process.setChildProcessModifier(childSetup);
    process.start(brindleProgram(), arguments);
    if (!process.waitForFinished(60000)) process.kill();
    process.waitForFinished();
    return {process.exitCode(), process.exitStatus(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QString writeHost(const fixture::HostBuilder& host, const QString& folder) {
    const auto written = host.write(folder);
    if (!written) qFatal("%s", qPrintable(written.error().message));
    return written.value();
}

}  // namespace brindle::testing
