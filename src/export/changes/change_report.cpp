#include "export/changes/change_report.h"

#include <QFileInfo>

#include "export/output/file_output.h"

namespace brindle {

ChangeReport::ChangeReport(ChangeReportOptions changes, const ExportOptions& options,
                           std::optional<EarlierExport> earlier, RowOutput* given)
    : m_options(std::move(changes)),
      m_comparison(std::move(earlier)),
      m_ownOutput(given ? nullptr
                        : fileOutput(m_options.reportPath, formatOfPath(m_options.reportPath), options)),
      m_output(given ? given : m_ownOutput.get()) {}

Result<std::unique_ptr<ChangeReport>> ChangeReport::prepare(const ExportOptions& options,
                                                            const QStringList& columns,
                                                            ProtectedPaths protectedPaths, RowOutput* given) {
    if (!columns.contains(QLatin1String("ALIAS"))) {
        return Error{
            QStringLiteral("the change report matches subscribers by alias: select the Alias item "
                           "too; nothing was exported")};
    }
    ChangeReportOptions changes = options.changes.value_or(ChangeReportOptions{});
    const bool atOutputPath = changes.earlierPath.isEmpty();
    if (atOutputPath) changes.earlierPath = options.outputPath;
    protectedPaths.lockFiles << options.outputPath + QStringLiteral(".lock");
    protectedPaths.runFiles = {{options.outputPath, QStringLiteral("the output file")},
                               {changes.earlierPath, QStringLiteral("the earlier export")}};
    if (auto allowed =
            checkOutputPath(changes.reportPath, protectedPaths, QStringLiteral("change report path"));
        !allowed) {
        return allowed.error();
    }
    std::optional<EarlierExport> earlier;
    // The output path was checked: what is there is a regular file or nothing.
    if (!atOutputPath || QFileInfo::exists(changes.earlierPath)) {
        Result<EarlierExport> read = EarlierExport::read(changes.earlierPath);
        if (!read) return read.error();
        earlier = std::move(read).value();
    }
    return std::unique_ptr<ChangeReport>(
        new ChangeReport(std::move(changes), options, std::move(earlier), given));
}

QStringList ChangeReport::earlierWarnings() const {
    QStringList lines;
    for (const QString& alias : m_comparison.earlierDuplicates()) {
        lines << QStringLiteral(
                     "(warning) the alias %1 is on more than one line of the earlier export %2: "
                     "its subscribers are not compared")
                     .arg(alias, m_options.earlierPath);
    }
    return lines;
}

Result<void> ChangeReport::open() {
    const Result<bool> locked = m_lock.emplace(path() + QStringLiteral(".lock")).tryAcquire();
    if (!locked || !*locked)
        return Error{QStringLiteral("another export is writing the change report %1; nothing was exported")
                         .arg(path())};
    if (auto opened = m_output->open(); !opened)
        return Error{
            QStringLiteral("cannot write the change report %1: %2").arg(path(), opened.error().message)};
    return {};
}

Result<QStringList> ChangeReport::write() {
    QStringList changed;
    for (const QStringList& row : m_comparison.reportRows()) {
        for (const RowOutput::FieldChange& change : m_output->writeRow(row)) {
            if (!changed.contains(change.what)) changed << change.what;
        }
    }
    if (const std::optional<QString> failure = m_output->failure()) {
        return Error{QStringLiteral("cannot write the change report %1: %2; no output file was written")
                         .arg(path(), *failure)};
    }
    QStringList warnings;
    for (const QString& what : std::as_const(changed))
        warnings << QStringLiteral("(warning) %1 in the change report %2").arg(what, path());
    return warnings;
}

}  // namespace brindle
