#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "export/catalogue.h"
#include "export/changes/change_report.h"
#include "export/columns/column_context.h"
#include "export/export_options.h"
#include "export/output/row_output.h"
#include "log/error_log.h"
#include "platform/exclusive_lock.h"
#include "platform/posix_file.h"

namespace brindle {

class CachedTables;
class DirectoryLookup;
class Localizer;
class Notifier;

// Where an export runs: the directory's cached tables and look-ups, the strings that name
// the data items, where the log goes, the host's files and the program's other lock files,
// which no output may replace, and how to find the host's install folder (asked once per run:
// no output may go into its stream store, and relative voice names are found there).
struct ExportEnvironment {
    CachedTables& tables;
    DirectoryLookup& lookup;
    const Localizer& strings;
    QString logPath;
    QString programName;
    QStringList hostFiles = {};
    std::function<Result<QString>()> installPath = {};
    Notifier* notifier = nullptr;  // the window's message boxes; none on a command line
    QStringList lockFiles = {};
    int progressMaximum = 0;            // the progress never passes this, even when more subscribers come
    RowOutput* output = nullptr;        // where the rows go; none: the delimited file at the output path
    RowOutput* reportOutput = nullptr;  // where a change report's rows go; none: the file at its path
    std::span<const DataItem> catalogue = dataItems();  // the items the selected entries name
};

// One export: the header, then one line per subscriber that has a call handler and a class
// of service, each problem logged. All state of the run lives here and nothing carries from
// one subscriber to the next.
//
// Nothing is touched unless the output path may be replaced (checkOutputPath), the log and
// the output path could be locked against other runs, and the log opened and begun; only then
// is the old output removed. The output appears under its name only when every byte of it
// and of the log reached the disk: a run that fails, runs out of memory or is stopped leaves
// no file there, partial or temporary.
//
// A run with a change report reads the earlier export whole before it touches anything, keeps
// the old output until the new one replaces it, and puts the output and the report under their
// names only once both are complete on the disk: a run that fails leaves both as they were.
class ExportRun final : private ColumnContext {
public:
    ExportRun(ExportEnvironment environment, ExportOptions options);

    // An Error when nothing is selected or the output cannot be written; the log, where it
    // could be opened, says why.
    Result<ExportSummary> run(RunObserver& observer);

private:
    const Recordset& subscriber() const override;
    const Recordset& callHandler() const override;
    const Recordset& classOfService() const override;
    DirectoryLookup& lookup() override { return m_environment.lookup; }
    const QString& outputFolder() const override { return m_outputFolder; }
    Result<int> outputFolderDescriptor() const override;
    std::optional<QString> streamStoreFolder() override;
    int streamStoreDescriptor() const override { return m_streamStoreFolder.get(); }
    const QDateTime& startedUtc() const override { return m_startedUtc; }
    int localOffsetSeconds() const override { return m_localOffsetSeconds; }
    bool isoDates() const override { return m_options.dates == DateStyle::Iso; }
    void AppendField(const QString& value) override { m_row << value; }
    void WriteLogLine(const QString& text) override;
    void showToUser(const QString& text) override;
    void logFailure(const Error& error) override;
    std::optional<QString> holderOfCopyName(const QString& fileName) const override;
    void claimCopyName(const QString& fileName) override;

    void matchSelectedItems();
    Result<ExportSummary> runSteps(RunObserver& observer);
    Result<void> begin();
    Result<void> writeChangeReport();
    Result<void> commitOutputs();
    void writeHeader();
    bool positionOnRows();
    Result<void> writeLine();
    Result<ExportSummary> fail(const QString& message);
    Result<ExportSummary> failWithoutLog(const Error& logError);

    ExportEnvironment m_environment;
    ExportOptions m_options;
    ErrorLog m_log;
    QStringList m_row;
    std::optional<ExclusiveLock> m_logLock;     // held to the end of the run, as is
    std::optional<ExclusiveLock> m_outputLock;  // the one beside the output
    std::unique_ptr<RowOutput> m_ownOutput;
    RowOutput* m_output;
    std::unique_ptr<ChangeReport> m_changes;  // when one is asked for
    QStringList m_header;                     // the output's column names
    QString m_outputFolder;
    QDateTime m_startedUtc;
    int m_localOffsetSeconds = 0;
    Result<Descriptor> m_outputFolderHeld = Error{QStringLiteral("the output folder is not open")};
    std::optional<Result<QString>> m_streamStore;  // asked for when the run begins
    Descriptor m_streamStoreFolder{-1};
    bool m_streamStoreFailureLogged = false;
    QList<const DataItem*> m_items;  // the selected entries' items, in line order
    QSet<QString> m_shownToUser;
    QHash<QString, QString> m_copyNames;      // each voice-name copy made, to the alias it was made for
    std::optional<Error> m_directoryFailure;  // the first fatal failure: the run stops on it
};

}  // namespace brindle
