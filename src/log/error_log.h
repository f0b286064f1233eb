#pragma once

#include <QFile>
#include <QString>
#include <optional>

#include "platform/result.h"

namespace brindle {

// The error log of one export: a banner, then one line per subscriber and per problem. Every
// line that contains "(error)" or "(warning)", in any letter case, is counted from the banner
// on, each marker once per line; the counts have no upper limit. Lines end in CR LF on every
// platform and are written in the locale's encoding. The file must be a regular file of its
// own: a symbolic link, a hard link or anything else at the path is refused.
class ErrorLog {
public:
    // Opens the log anew (or, with `append`, continues it) and writes the eight-line banner
    // naming the program and its version; both counts are 0 afterwards, although the banner
    // names both markers. An Error names the path and the reason; the counts are 0 then too.
    Result<void> OpenErrorLog(const QString& path, bool append, const QString& programName,
                              const QString& versionText);

    // Counts the text and writes it as one line. Embedded CR LF pairs are written as they are
    // and so give extra lines. A text is counted even when the log is not open.
    void WriteLogLine(const QString& text);

    // Writes what is buffered through to the disk; an Error when the log is not whole. A run
    // calls it before it commits its output, so that a log lost on a full disk is known first.
    Result<void> flushToDisk();

    // Writes what is buffered and closes the file; a failure there makes the log incomplete.
    // The counts keep their values until the next OpenErrorLog.
    void CloseErrorLog();

    // An Error, naming the log and the reason, once any write has failed since it was opened.
    Result<void> whole() const;

    bool isOpen() const { return m_file.isOpen(); }
    qint64 errorCount() const { return m_errors; }
    qint64 warningCount() const { return m_warnings; }

private:
    void noteFailure(const std::optional<QString>& reason);  // keeps the first

    QFile m_file;
    QString m_path;  // the file is opened by descriptor, which leaves it no name
    QString m_writeFailure;
    qint64 m_errors = 0;
    qint64 m_warnings = 0;
};

}  // namespace brindle
