#pragma once

#include <QStringList>
#include <memory>
#include <optional>

#include "export/changes/change_comparison.h"
#include "export/export_options.h"
#include "export/output/row_output.h"
#include "export/output_path.h"
#include "platform/exclusive_lock.h"
#include "platform/result.h"

namespace brindle {

// The change report of one run: the earlier export, read before anything is touched, the
// comparison the run feeds row by row, and the report file, written at the end through an
// output of the run's own layout (a workbook when its name ends in .xlsx).
class ChangeReport {
public:
    // Checks that the report may be written where it is asked for (as an output may, and not
    // over the output, the log or the earlier export) and that the export's `columns` hold
    // ALIAS, then reads the earlier export whole; missing at the output path, it is the first.
    // `given`: where the report's rows go instead of its file.
    static Result<std::unique_ptr<ChangeReport>> prepare(const ExportOptions& options,
                                                         const QStringList& columns,
                                                         ProtectedPaths protectedPaths, RowOutput* given);

    const QString& path() const { return m_options.reportPath; }
    // The "(warning)" lines for the aliases the earlier export holds more than once.
    QStringList earlierWarnings() const;
    // Locks the report against other runs and opens it.
    Result<void> open();

    ChangeComparison& comparison() { return m_comparison; }

    // Writes the report's rows; the "(warning)" lines for what its output changed.
    Result<QStringList> write();
    RowOutput& output() { return *m_output; }

private:
    ChangeReport(ChangeReportOptions changes, const ExportOptions& options,
                 std::optional<EarlierExport> earlier, RowOutput* given);

    ChangeReportOptions m_options;
    ChangeComparison m_comparison;
    std::optional<ExclusiveLock> m_lock;
    std::unique_ptr<RowOutput> m_ownOutput;
    RowOutput* m_output;
};

}  // namespace brindle
