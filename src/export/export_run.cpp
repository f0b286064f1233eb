#include "export/export_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <new>

#include "export/catalogue.h"
#include "export/columns/field_text.h"
#include "export/directory/cached_tables.h"
#include "export/directory/directory_thread.h"
#include "export/output/file_output.h"
#include "export/output_path.h"
#include "localize/localizer.h"
#include "localize/string_ids.h"
#include "platform/notifier.h"
#include "platform/version.h"
#include "timeconv/time_functions.h"

namespace brindle {

ExportRun::ExportRun(ExportEnvironment environment, ExportOptions options)
    : m_environment(std::move(environment)),
      m_options(std::move(options)),
      m_ownOutput(m_environment.output ? nullptr
                                       : fileOutput(m_options.outputPath, m_options.format, m_options)),
      m_output(m_ownOutput ? m_ownOutput.get() : m_environment.output) {}

const Recordset& ExportRun::subscriber() const {
    return m_environment.tables.subscribers();
}
const Recordset& ExportRun::callHandler() const {
    return m_environment.tables.callHandlers();
}
const Recordset& ExportRun::classOfService() const {
    return m_environment.tables.classesOfService();
}

std::optional<QString> ExportRun::streamStoreFolder() {
    if (!m_streamStore) return std::nullopt;
    if (!*m_streamStore) {
        // Once a run: every subscriber with a voice name would otherwise say it again.
        if (!m_streamStoreFailureLogged) {
            m_log.WriteLogLine(QStringLiteral("(error) ") + m_streamStore->error().message +
                               QStringLiteral("; voice names in the stream store are not copied"));
            m_streamStoreFailureLogged = true;
        }
        return std::nullopt;
    }
    return m_streamStore->value();
}

Result<int> ExportRun::outputFolderDescriptor() const {
    if (!m_outputFolderHeld) return m_outputFolderHeld.error();
    return m_outputFolderHeld->get();
}

std::optional<QString> ExportRun::holderOfCopyName(const QString& fileName) const {
    if (fileName == QFileInfo(m_options.outputPath).fileName()) return QStringLiteral("the output file");
    const auto holder = m_copyNames.constFind(fileName);
    if (holder == m_copyNames.cend()) return std::nullopt;
    return QStringLiteral("the copy for Alias=%1").arg(*holder);
}

void ExportRun::claimCopyName(const QString& fileName) {
    m_copyNames.insert(fileName, fieldText(*this, m_environment.tables.subscribers(), u"Alias"));
}

void ExportRun::showToUser(const QString& text) {
    // Once per text: one odd name on every handler must not ask for thousands of clicks.
    if (m_environment.notifier && !m_shownToUser.contains(text)) {
        m_shownToUser.insert(text);
        m_environment.notifier->inform(text);
    }
}

void ExportRun::WriteLogLine(const QString& text) {
    // Once the directory has failed, the rest of the subscriber's lines would only repeat it.
    if (!m_directoryFailure) m_log.WriteLogLine(text);
}

void ExportRun::logFailure(const Error& error) {
    if (error.fatal) {
        if (!m_directoryFailure) m_directoryFailure = error;
        return;
    }
    m_log.WriteLogLine(QStringLiteral("(error) in export. Description=%1, Source=%2, Number=%3")
                           .arg(error.message, error.source, numberWithSignPosition(error.number)));
}

void ExportRun::matchSelectedItems() {
    // Each entry runs every item whose label it equals, so that header and lines agree even
    // when a language gives two items the same label.
    for (const QString& entry : std::as_const(m_options.selectedEntries)) {
        for (const DataItem& item : m_environment.catalogue) {
            if (entry.compare(m_environment.strings.myLoadResString(item.labelId), Qt::CaseInsensitive) ==
                0) {
                m_items << &item;
            }
        }
    }
}

Result<ExportSummary> ExportRun::fail(const QString& message) {
    m_log.WriteLogLine(QStringLiteral("(error) ") + message);
    m_log.CloseErrorLog();
    m_output->cancel();
    if (m_changes) m_changes->output().cancel();
    if (auto logged = m_log.whole(); !logged)
        return Error{message + QStringLiteral("; ") + logged.error().message};
    return Error{message};
}

Result<ExportSummary> ExportRun::failWithoutLog(const Error& logError) {
    m_log.CloseErrorLog();
    m_output->cancel();
    if (m_changes) m_changes->output().cancel();
    return Error{logError.message + QStringLiteral("; no output file was written")};
}

void ExportRun::writeHeader() {
    m_header.clear();
    for (const DataItem* item : std::as_const(m_items)) m_header << item->columns;
    m_output->writeRow(m_header);
    if (m_changes) m_changes->comparison().setColumns(m_header);
}

bool ExportRun::positionOnRows() {
    Recordset& subscribers = m_environment.tables.subscribers();
    struct Reference {
        Recordset& table;
        QStringView field;
        QString skipLine;
    };
    const Reference references[] = {
        {m_environment.tables.callHandlers(), u"CallHandlerObjectID",
         QStringLiteral(
             "(error) can't find primary call handler reference for this subscriber.  Skipping user.")},
        {m_environment.tables.classesOfService(), u"COSObjectID",
         QStringLiteral("(error) can't find COS reference for mail user.  Skipping user.")},
    };
    for (const Reference& reference : references) {
        // A Null reference finds no row: the subscriber is skipped, never given another's row.
        const QVariant id = fieldValue(*this, subscribers, reference.field);
        reference.table.MoveFirst();
        if (!reference.table.Find(u"ObjectID", id)) {
            m_log.WriteLogLine(reference.skipLine);
            if (m_changes) m_changes->comparison().addSkipped(fieldText(*this, subscribers, u"Alias"));
            return false;
        }
    }
    return true;
}

// An Error when a producer broke its contract: a line with fields under the wrong columns is
// never written, and the run ends.
Result<void> ExportRun::writeLine() {
    m_row.clear();
    for (const DataItem* item : std::as_const(m_items)) {
        const qsizetype before = m_row.size();
        item->producer(*this);
        if (const qsizetype written = m_row.size() - before; written != item->columns.size()) {
            return Error{QStringLiteral("internal error: the data item %1 gave %2 fields for its %3 columns")
                             .arg(m_environment.strings.myLoadResString(item->labelId))
                             .arg(written)
                             .arg(item->columns.size())};
        }
    }
    // Said under the subscriber's own line, as every column's trouble is: one line for each
    // kind of change, naming every column it befell.
    QList<std::pair<QString, QStringList>> changed;
    const QList<RowOutput::FieldChange> changes = m_output->writeRow(m_row);
    for (const RowOutput::FieldChange& change : changes) {
        auto kind = std::find_if(changed.begin(), changed.end(),
                                 [&](const auto& known) { return known.first == change.what; });
        if (kind == changed.end()) kind = changed.insert(changed.end(), {change.what, {}});
        kind->second << m_header.value(change.index);
    }
    for (const auto& [what, columns] : std::as_const(changed))
        m_log.WriteLogLine(QStringLiteral("(warning) %1 in %2").arg(what, columns.join(QLatin1String(", "))));
    if (m_changes) {
        // Compared as the output holds the values.
        for (const RowOutput::FieldChange& change : changes) m_row[change.index] = change.held;
        if (m_changes->comparison().addRow(m_row)) {
            m_log.WriteLogLine(
                QStringLiteral("(warning) the alias %1 is on more than one line of this export: "
                               "its subscribers are not compared")
                    .arg(fieldText(*this, m_environment.tables.subscribers(), u"Alias")));
        }
    }
    return {};
}

Result<ExportSummary> ExportRun::run(RunObserver& observer) {
    Result<ExportSummary> outcome = Error{};
    try {
        outcome = runSteps(observer);
    } catch (const std::bad_alloc&) {
        // The allocation that failed was a large one; the few small ones here still succeed.
        outcome = fail(QStringLiteral("out of memory; no output file was written"));
    }
    m_outputLock.reset();
    m_logLock.reset();
    return outcome;
}

Result<void> ExportRun::begin() {
    if (m_options.selectedEntries.isEmpty()) {
        return Error{m_environment.strings.myLoadResString(string_id::kNothingSelected)};
    }
    matchSelectedItems();
    m_streamStore = m_environment.installPath
                        ? m_environment.installPath()
                        : Error{QStringLiteral("the host's install folder is not known")};
    if (*m_streamStore) {
        // As the file system resolves it, so that a voice name can be held to stay inside.
        const QString folder = m_streamStore->value() + QStringLiteral("Streams/HalvernDirDb/");
        const QString resolved = QFileInfo(folder).canonicalFilePath();
        m_streamStore = resolved.isEmpty() ? folder : resolved + QLatin1Char('/');
        if (auto held = openFolder(m_streamStore->value())) m_streamStoreFolder = std::move(held).value();
    }
    const QString logLock = m_environment.logPath + QStringLiteral(".lock");
    ProtectedPaths protectedPaths{m_environment.logPath, m_environment.lockFiles + QStringList{logLock},
                                  m_environment.hostFiles};
    if (*m_streamStore) protectedPaths.hostFolders << m_streamStore->value();
    if (auto allowed = checkOutputPath(m_options.outputPath, protectedPaths); !allowed)
        return allowed.error();
    if (m_options.changes) {
        QStringList columns;
        for (const DataItem* item : std::as_const(m_items)) columns << item->columns;
        auto prepared = ChangeReport::prepare(m_options, columns, protectedPaths, m_environment.reportOutput);
        if (!prepared) return prepared.error();
        m_changes = std::move(prepared).value();
    }

    // Held to the end of the run, so that two runs never write one log together.
    const Result<bool> locked = m_logLock.emplace(logLock).tryAcquire();
    if (!locked) return locked.error();
    if (!*locked) {
        return Error{QStringLiteral("another export is writing the error log %1; nothing was exported")
                         .arg(m_environment.logPath)};
    }
    if (auto opened = m_log.OpenErrorLog(m_environment.logPath, false, m_environment.programName,
                                         QString::fromLatin1(kVersionText));
        !opened) {
        return opened;
    }
    if (m_changes) {
        for (const QString& line : m_changes->earlierWarnings()) m_log.WriteLogLine(line);
    }
    return {};
}

Result<ExportSummary> ExportRun::runSteps(RunObserver& observer) {
    if (auto begun = begin(); !begun) return begun.error();
    // Beside the output, so that runs from two home folders never write one output together.
    const Result<bool> locked =
        m_outputLock.emplace(m_options.outputPath + QStringLiteral(".lock")).tryAcquire();
    if (!locked) {
        return fail(QStringLiteral("cannot write the output file %1: %2")
                        .arg(m_options.outputPath, locked.error().message));
    }
    if (!*locked) {
        return fail(QStringLiteral("another export is writing the output file %1; nothing was exported")
                        .arg(m_options.outputPath));
    }
    // The old file goes first, as it always has, but only once the log is open: a run that
    // cannot log leaves it in place. The new one appears whole or not at all. A run with a
    // change report keeps it until the new one replaces it, as it keeps the old report.
    if (!m_changes && QFileInfo::exists(m_options.outputPath) && !QFile::remove(m_options.outputPath)) {
        return fail(QStringLiteral("cannot replace the output file %1").arg(m_options.outputPath));
    }
    if (auto opened = m_output->open(); !opened) {
        return fail(QStringLiteral("cannot write the output file %1: %2")
                        .arg(m_options.outputPath, opened.error().message));
    }
    if (m_changes) {
        if (auto opened = m_changes->open(); !opened) return fail(opened.error().message);
    }
    m_startedUtc = QDateTime::currentDateTimeUtc();
    m_localOffsetSeconds = localOffsetSecondsAt(m_startedUtc);
    m_outputFolder = QFileInfo(m_options.outputPath).absolutePath();
    if (!m_outputFolder.endsWith(QLatin1Char('/'))) m_outputFolder += QLatin1Char('/');
    m_outputFolderHeld = openFolder(m_outputFolder);

    writeHeader();

    // A statement that takes long keeps the window going and hears a stop, as the loop does.
    const DirectoryWaitScope waiting([&observer] { return observer.stopRequested(); });
    ExportSummary summary;
    int progress = 0;
    Recordset& subscribers = m_environment.tables.subscribers();
    for (subscribers.MoveFirst(); !subscribers.AtEOF(); subscribers.MoveNext()) {
        if (const std::optional<QString> stop = observer.stopRequested()) {
            return fail(*stop + QStringLiteral("; no output file was written"));
        }
        // No use going on once the log or the output has lost a line: the run cannot succeed.
        if (auto logged = m_log.whole(); !logged) return failWithoutLog(logged.error());
        if (const std::optional<QString> failure = m_output->failure()) {
            return fail(QStringLiteral("cannot write the output file %1: %2; no output file was written")
                            .arg(m_options.outputPath, *failure));
        }
        // The marker line is written for a Null alias too, so that no subscriber's lines
        // appear under the one before it.
        m_log.WriteLogLine(QStringLiteral("\r\nAlias=") + fieldText(*this, subscribers, u"Alias"));
        if (positionOnRows()) {
            if (auto written = writeLine(); !written)
                return fail(written.error().message + QStringLiteral("; no output file was written"));
            ++summary.subscribersWritten;
        } else {
            ++summary.subscribersSkipped;
        }
        if (m_directoryFailure) {
            // A stop gave up the wait for the directory: the stop is what happened.
            if (const std::optional<QString> stop = observer.stopRequested()) {
                return fail(*stop + QStringLiteral("; no output file was written"));
            }
            return fail(QStringLiteral("the directory cannot be read: %1 (%2); no output file was written")
                            .arg(m_directoryFailure->message.simplified(), m_directoryFailure->source));
        }
        if (m_environment.progressMaximum > progress) observer.progressed(++progress);
    }

    if (auto written = writeChangeReport(); !written) return fail(written.error().message);
    // The log first: an output is never committed beside a log that did not reach the disk.
    if (auto logged = m_log.flushToDisk(); !logged) return failWithoutLog(logged.error());
    if (auto committed = commitOutputs(); !committed) return fail(committed.error().message);
    m_log.CloseErrorLog();
    summary.errorCount = m_log.errorCount();
    summary.warningCount = m_log.warningCount();
    summary.voiceNameCopies = m_copyNames.size();
    if (m_changes) {
        summary.changes = m_changes->comparison().counts();
        summary.reportPath = m_changes->path();
    }
    summary.outputPath = m_options.outputPath;
    summary.logPath = m_environment.logPath;
    return summary;
}

Result<void> ExportRun::writeChangeReport() {
    if (!m_changes) return {};
    const Result<QStringList> warnings = m_changes->write();
    if (!warnings) return warnings.error();
    for (const QString& line : *warnings) m_log.WriteLogLine(line);
    return {};
}

// Both files whole on the disk before either takes its name, so that a full disk or a lost
// folder leaves the earlier pair in place.
Result<void> ExportRun::commitOutputs() {
    const auto outputFailure = [this](const Error& error) {
        return Error{QStringLiteral("cannot write the output file %1: %2; no output file was written")
                         .arg(m_options.outputPath, error.message)};
    };
    const auto reportFailure = [this](const Error& error) {
        return Error{QStringLiteral("cannot write the change report %1: %2; no output file was written")
                         .arg(m_changes->path(), error.message)};
    };
    if (m_changes) {
        if (auto finished = m_output->finish(); !finished) return outputFailure(finished.error());
        if (auto finished = m_changes->output().finish(); !finished) return reportFailure(finished.error());
    }
    if (auto committed = m_output->commit(); !committed) return outputFailure(committed.error());
    if (m_changes) {
        if (auto committed = m_changes->output().commit(); !committed) {
            return Error{QStringLiteral("the output file %1 was written, but its change report %2 could not "
                                        "take its name: %3")
                             .arg(m_options.outputPath, m_changes->path(), committed.error().message)};
        }
    }
    return {};
}

}  // namespace brindle
