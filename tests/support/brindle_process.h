#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>

#include "hostbuilder/host_builder.h"
#include "support/files.h"

namespace brindle::testing {

// How a run of the real program ended.
struct ProcessOutcome {
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    QString out;
    QString err;
};

// build/bin/brindle, as CTest names it.
QString brindleProgram();

// A command-line run on `host` with `home` as its home folder: no display (any attempt to
// open one fails), no runtime folder, no ODBC directory.
QProcessEnvironment brindleEnvironment(const QString& host, const QString& home);

// Runs the program to its end (at most a minute); `childSetup` runs in the child before it
// starts (resource limits, signal dispositions).
ProcessOutcome runBrindle(const QProcessEnvironment& environment, const QStringList& arguments,
                          const std::function<void()>& childSetup = {});

// Runs any program to its end (at most `timeoutMs`), killed when it takes longer.
ProcessOutcome runProcess(const QString& program, const QStringList& arguments,
                          const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                          const std::function<void()>& childSetup = {}, int timeoutMs = 120000);

// Starts the program and returns once it runs, for a test that acts on it while it does.
bool startBrindle(QProcess& process, const QProcessEnvironment& environment, const QStringList& arguments);

// A `childSetup`: no file the child writes may grow past `bytes` (SIGXFSZ keeps its default,
// so a program that does not ignore it is killed).
std::function<void()> fileSizeLimit(qint64 bytes);

// Writes the host folder or ends the test program.
QString writeHost(const fixture::HostBuilder& host, const QString& folder);

}  // namespace brindle::testing
