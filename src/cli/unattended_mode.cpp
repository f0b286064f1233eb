#include "cli/unattended_mode.h"

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include "cli/command_options.h"
#include "cli/progress_display.h"
#include "cli/run_report.h"
#include "cli/stderr_notifier.h"
#include "export/catalogue.h"
#include "export/export_options.h"
#include "export/output_path.h"
#include "localize/localizer.h"
#include "platform/fixed_paths.h"
#include "platform/stop_signals.h"
#include "platform/version.h"
#include "startup/startup.h"

namespace brindle {

namespace {

constexpr auto kUsage =
    "Usage: brindle                                  show the window\n"
    "       brindle [OPTION...] [LABEL...] /f:PATH   export without a window\n"
    "       brindle --list                           list the labels of the 31 data items\n"
    "       brindle --help | -h | /?                 show this text\n"
    "       brindle --version                        show the version\n"
    "\n"
    "Exports the configuration of every subscriber of the host named by BRINDLE_HOST into\n"
    "the delimited file or workbook PATH. A LABEL is a data item's label as brindle --list\n"
    "shows it, for example Alias \"Display Name\": an item is exported when its label occurs\n"
    "anywhere in the text before /f:, without regard to case; when none does, every item is.\n"
    "Everything after /f: is the path, blanks included; a path that begins with ~/ is in the\n"
    "home folder.\n"
    "An argument before /f: that is part of no label is reported on standard error, and so is\n"
    "text before /f: that names no item. Problems of single subscribers are written to\n"
    "$HOME/BrindleErrors.log.\n"
    "\n"
    "Options, as whole arguments before /f:\n"
    "  --separator=comma|tab|linefeed|semicolon\n"
    "                                  what follows each field (default comma; linefeed puts\n"
    "                                  one field on each line)\n"
    "  --quotes=needed|always|never    which values are quoted (default needed: those that hold\n"
    "                                  a comma, the separator, a double quote or a line end)\n"
    "  --encoding=utf-8|utf-8-bom|windows-1252\n"
    "                                  the file's bytes (default utf-8; utf-8-bom begins with\n"
    "                                  the mark; windows-1252 writes \"?\" for what it lacks)\n"
    "  --format=csv|xlsx               the kind of file (default: a PATH ending in .xlsx is a\n"
    "                                  workbook, which takes none of the three options above)\n"
    "  --dates=locale|iso              the three time columns in the locale's form (default) or\n"
    "                                  as YYYY-MM-DD HH:MM:SS\n"
    "  --summary=text|json             on standard output at the end: one line on success\n"
    "                                  (default), or one JSON object on success and failure\n"
    "  --quiet                         no progress line and no line on success; warnings and\n"
    "                                  errors are still written\n"
    "  --changes=REPORT                also write REPORT: what changed since the earlier export,\n"
    "                                  the file now at PATH, subscriber by subscriber (matched by\n"
    "                                  alias, which must be exported); written as PATH is, or as a\n"
    "                                  workbook when REPORT ends in .xlsx. PATH and REPORT appear\n"
    "                                  together or not at all\n"
    "  --compare-with=OLD              with --changes: compare with the export OLD instead\n"
    "\n"
    "On a terminal, standard error shows the progress of the run on one line.\n"
    "\n"
    "Exit status: 0 when the file and the log were written, 1 when the export did not run,\n"
    "128 plus the signal's number when SIGTERM, SIGINT or SIGHUP stopped it (no output then).\n"
    "\n"
    "More in the manual page: man brindle\n";

// Stops the run between two subscribers once a stop signal has come, and redraws the progress
// line when there is one.
class CommandLineObserver final : public RunObserver {
public:
    explicit CommandLineObserver(ProgressDisplay* display) : m_display(display) {}
    void progressed(int value) override {
        if (m_display) m_display->update(value);
    }
    std::optional<QString> stopRequested() override {
        const int signal = stop_signals::received();
        if (signal == 0) return std::nullopt;
        return stopReason(stop_signals::name(signal));
    }

private:
    ProgressDisplay* m_display;
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
        out << kUsage << "\nLanguage packs (Brindle_XXX.dll) and help pages (Brindle*.htm) are read from\n"
            << programFolder() << ".\n";
        return true;
    }
    if (argument == QLatin1String("--version")) {
        out << "brindle " << kVersionText << Qt::endl;
        return true;
    }
    if (argument == QLatin1String("--list")) {
        // The built-in English labels: a command line is matched against them, whatever
        // language the window speaks.
        for (const QString& label : dataItemListEntries(Localizer())) out << label << '\n';
        out.flush();
        return true;
    }
    return false;
}

namespace {

// Tells standard error, and keeps the last text told: what went wrong, when the run fails.
class RememberingNotifier final : public Notifier {
public:
    explicit RememberingNotifier(QTextStream& err) : m_err(err) {}
    void inform(const QString& text) override {
        last = text;
        m_err.inform(text);
    }
    bool confirm(const QString& text, Answers answers, const QString& title) override {
        return m_err.confirm(text, answers, title);
    }
    QString last;

private:
    StderrNotifier m_err;
};

// The export of a command line taken apart; its exit status, with what it did in `report`.
int exportAsRequested(const RunConfig& config, const UnattendedRequest& request,
                      RememberingNotifier& notifier, QTextStream& err, RunReport& report) {
    const std::optional<QString> outputPath = request.line.outputPath();
    if (!outputPath || outputPath->isEmpty()) {
        notifier.inform(QStringLiteral("no output file: name it after /f: (see brindle --help)"));
        return 1;
    }

    const OutputFormat format = request.format.value_or(formatOfPath(*outputPath));
    report.format = format == OutputFormat::Workbook ? QStringLiteral("xlsx") : QStringLiteral("csv");
    if (format == OutputFormat::Workbook && request.delimitedOptionsGiven) {
        notifier.inform(QStringLiteral("--separator, --quotes and --encoding are for a delimited file; %1 is "
                                       "written as a workbook, which takes none of them")
                            .arg(*outputPath));
        return 1;
    }

    Localizer strings(&notifier);
    const QStringList entries = dataItemListEntries(strings);
    for (const QString& warning : namingWarnings(request.line, request.namingArguments, entries)) {
        notifier.inform(warning);
    }

    StartupOutcome startup = runStartup(config, strings, notifier);
    if (startup.refusal) {
        const StartupRefusal& refusal = *startup.refusal;
        if (!refusal.message.isEmpty()) notifier.inform(refusal.message);
        if (!refusal.detail.isEmpty()) notifier.inform(refusal.detail);
        return 1;
    }
    Session& session = *startup.session;

    const QString path = QFileInfo(expandHome(*outputPath, config.homeFolder)).absoluteFilePath();
    report.outputPath = path;
    // Before the folder is made: "/f:dir/" must not leave a folder behind.
    if (auto named = checkOutputFileName(*outputPath); !named) {
        notifier.inform(named.error().message);
        return 1;
    }
    if (auto prepared = prepareOutputFolder(path); !prepared) {
        notifier.inform(prepared.error().message);
        return 1;
    }

    ExportOptions options;
    if (request.changesPath) {
        const QString reportPath =
            QFileInfo(expandHome(*request.changesPath, config.homeFolder)).absoluteFilePath();
        if (auto named = checkOutputFileName(*request.changesPath, QStringLiteral("change report path"));
            !named) {
            notifier.inform(named.error().message);
            return 1;
        }
        if (auto prepared = prepareOutputFolder(reportPath); !prepared) {
            notifier.inform(prepared.error().message);
            return 1;
        }
        options.changes = ChangeReportOptions{reportPath, {}};
        if (request.compareWith) {
            options.changes->earlierPath =
                QFileInfo(expandHome(*request.compareWith, config.homeFolder)).absoluteFilePath();
        }
    }
    options.format = format;
    options.outputPath = path;
    options.separator = request.separator;
    options.quoting = request.quoting;
    options.encoding = request.encoding;
    options.dates = request.dates;
    options.selectedEntries = request.line.selectedEntries(entries);

    std::optional<ProgressDisplay> display;
    if (!request.quiet && ::isatty(STDERR_FILENO)) display.emplace(err, session.progressMaximum());
    // Caught only from here on: until the run begins, a stop signal simply ends the program.
    stop_signals::install();
    CommandLineObserver observer(display ? &*display : nullptr);
    const auto summary = session.runExport(options, observer);
    if (display) display->clear();
    if (!summary) {
        notifier.inform(summary.error().message);
        const int signal = stop_signals::received();
        return signal != 0 ? 128 + signal : 1;
    }
    report.summary = *summary;
    if (summary->changes && summary->changes->firstExport) {
        notifier.inform(
            QStringLiteral("there was no earlier export at %1 to compare with: every subscriber is "
                           "reported as added")
                .arg(path));
    }
    return 0;
}

}  // namespace

int runUnattended(const RunConfig& config, const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QElapsedTimer clock;
    clock.start();
    RememberingNotifier notifier(err);
    RunReport report;
    report.logPath = errorLogPath(config.homeFolder);
    const Result<UnattendedRequest> request = parseUnattendedArguments(arguments);
    // A line that cannot be taken apart still gets the summary it asked for.
    const bool json = request ? request->jsonSummary : arguments.contains(QLatin1String("--summary=json"));
    if (request) {
        report.changesAsked = request->changesPath.has_value();
        report.exitStatus = exportAsRequested(config, *request, notifier, err, report);
    } else {
        notifier.inform(request.error().message);
        report.exitStatus = 1;
    }
    report.seconds = clock.elapsed() / 1000.0;
    if (report.exitStatus != 0) report.message = notifier.last;
    if (json) {
        out << report.toJson() << Qt::endl;
    } else if (report.exitStatus == 0 && !request->quiet) {
        out << report.summary.subscribersWritten << " subscriber(s) written to " << report.outputPath << ", "
            << report.summary.errorCount << " error(s) logged in " << report.logPath;
        if (const std::optional<ChangeCounts>& changes = report.summary.changes) {
            out << "; " << changes->added << " added, " << changes->removed << " removed, "
                << changes->skipped << " skipped, " << changes->changed << " changed in "
                << report.summary.reportPath;
        }
        out << Qt::endl;
    }
    return report.exitStatus;
}

}  // namespace brindle
