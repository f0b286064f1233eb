#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "export/field_writer.h"

namespace brindle {

// How the delimited file's text becomes bytes. UTF-8 is what the program always wrote; the mark
// and the Windows code page are for spreadsheets that read a file without a mark otherwise.
enum class TextEncoding { Utf8, Utf8WithMark, Windows1252 };

// What kind of file the export writes.
enum class OutputFormat { Delimited, Workbook };

// A path ending in ".xlsx", in any letter case, names a workbook; any other a delimited file.
inline OutputFormat formatOfPath(const QString& path) {
    return path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive) ? OutputFormat::Workbook
                                                                      : OutputFormat::Delimited;
}

// How the three time columns are written: the locale's date text, or YYYY-MM-DD HH:MM:SS.
enum class DateStyle { Locale, Iso };

// A report of what changed since an earlier export, keyed by alias.
struct ChangeReportOptions {
    QString reportPath;
    QString earlierPath;  // empty: the file at the output path, which the first export lacks
};

// What a change report counts: the subscribers added, removed, skipped by this run and
// changed in at least one column, and the values that changed.
struct ChangeCounts {
    qint64 added = 0;
    qint64 removed = 0;
    qint64 skipped = 0;
    qint64 changed = 0;
    qint64 fieldsChanged = 0;
    bool firstExport = false;  // there was no earlier export: every subscriber is added
};

// What one export is asked to do: the file, its layout, and the texts of the selected list
// entries in list order (each matched to its data items by label).
struct ExportOptions {
    QString outputPath;
    QuoteRule quoting = QuoteRule::WhenNeeded;
    Separator separator = Separator::Commas;
    QStringList selectedEntries;
    TextEncoding encoding = TextEncoding::Utf8;
    DateStyle dates = DateStyle::Locale;
    OutputFormat format = OutputFormat::Delimited;  // a workbook takes no quoting, separator or encoding
    std::optional<ChangeReportOptions> changes = {};
};

// What a finished export reports.
struct ExportSummary {
    qint64 subscribersWritten = 0;
    qint64 subscribersSkipped = 0;
    qint64 errorCount = 0;
    qint64 warningCount = 0;
    qint64 voiceNameCopies = 0;
    std::optional<ChangeCounts> changes;  // when a change report was written
    QString outputPath;
    QString reportPath;
    QString logPath;
};

// The reason a run stopped from outside gives, for example stopReason("SIGTERM").
inline QString stopReason(const QString& cause) {
    return QStringLiteral("the export was stopped by %1 before its end").arg(cause);
}

// Told of the run's progress; asked between subscribers whether to stop.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual void progressed(int value) = 0;
    // Why the run must stop before the next subscriber (the log gets it as a line), or
    // nothing to go on.
    virtual std::optional<QString> stopRequested() = 0;
};

}  // namespace brindle
