#include "ui/unattended/unattended_mode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "export/catalogue.h"
#include "export/directory/make_lookup.h"
#include "export/export_run.h"
#include "localize/localizer.h"
#include "platform/stop_signals.h"
#include "platform/version.h"
#include "startup/startup.h"
#include "ui/unattended/command_line.h"
#include "ui/unattended/stderr_notifier.h"

namespace brindle {

namespace {

constexpr auto kUsage =
    "Usage: brindle                          show the window\n"
    "       brindle [LABEL...] /f:PATH       export without a window\n"
    "       brindle --help | -h | /?         show this text\n"
    "       brindle --version                show the version\n"
    "\n"
    "Exports the configuration of every subscriber of the host named by BRINDLE_HOST into\n"
    "the delimited file PATH (commas, quotes around values that need them). LABELs are the\n"
    "texts of the window's list of data items, for example Alias \"Display Name\"; without\n"
    "any, every item is exported. Everything after /f: is the path. Problems of single\n"
    "subscribers are written to $HOME/BrindleErrors.log.\n"
    "\n"
    "Exit status: 0 when the file and the log were written, 1 when the export did not run,\n"
    "128 plus the signal's number when SIGTERM, SIGINT or SIGHUP stopped it (no output then).\n";

// Stops the run between two subscribers once a stop signal has come.
class SignalObserver final : public RunObserver {
public:
    void progressed(int) override {}
    std::optional<QString> stopRequested() override {
        const int signal = stop_signals::received();
        if (signal == 0) return std::nullopt;
        return stopReason(stop_signals::name(signal));
    }
};

// The output file's folder is created when missing (one level only). The old file is left to
// the run, which removes it only once the path is known to be safe and the log is open.
Result<void> prepareOutputFolder(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkdir(folder)) {
        return Error{QStringLiteral("cannot create the output folder %1").arg(folder)};
    }
    return {};
}

}  // namespace

bool answerInformationRequest(const QStringList& arguments, QTextStream& out) {
    if (arguments.size() != 1) return false;
    const QString& argument = arguments.first();
    if (argument == QLatin1String("--help") || argument == QLatin1String("-h") ||
        argument == QLatin1String("/?")) {
        out << kUsage;
        return true;
    }
    if (argument == QLatin1String("--version")) {
        out << "brindle " << kVersionText << Qt::endl;
        return true;
    }
    return false;
}

int runUnattended(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    StderrNotifier notifier(err);
    Localizer strings(&notifier);
    StartupOutcome startup = runStartup(strings, notifier);
    if (startup.refusal) {
        const StartupRefusal& refusal = *startup.refusal;
        if (!refusal.message.isEmpty()) notifier.inform(refusal.message);
        if (!refusal.detail.isEmpty()) notifier.inform(refusal.detail);
        return 1;
    }
    Session& session = *startup.session;

    const CommandLine commandLine = CommandLine::fromArguments(arguments);
    const std::optional<QString> outputPath = commandLine.outputPath();
    if (!outputPath || outputPath->isEmpty()) {
        notifier.inform(QStringLiteral("no output file: name it after /f: (see brindle --help)"));
        return 1;
    }
    const QString path = QFileInfo(*outputPath).absoluteFilePath();
    if (auto prepared = prepareOutputFolder(path); !prepared) {
        notifier.inform(prepared.error().message);
        return 1;
    }

    ExportOptions options;
    options.outputPath = path;
    options.selectedEntries = commandLine.selectedEntries(dataItemListEntries(strings));
    options.progressMaximum = static_cast<int>(qMin<qint64>(session.subscriberCount, INT_MAX));
    const auto lookup = makeDirectoryLookup(*session.directory, session.tables);
    ExportRun run(session.exportEnvironment(*lookup, strings), options);
    // Caught only from here on: until the run begins, a stop signal simply ends the program.
    stop_signals::install();
    SignalObserver observer;
    const auto summary = run.run(observer);
    if (!summary) {
        notifier.inform(summary.error().message);
        const int signal = stop_signals::received();
        return signal != 0 ? 128 + signal : 1;
    }
    out << summary->subscribersWritten << " subscriber(s) written to " << summary->outputPath << ", "
        << summary->errorCount << " error(s) logged in " << summary->logPath << Qt::endl;
    return 0;
}

}  // namespace brindle
