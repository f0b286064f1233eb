#include "log/error_log.h"

namespace brindle {

namespace {

// Kept at CR LF on every platform: the log is read in editors on Windows.
constexpr QLatin1StringView kLineEnd("\r\n");

QString asteriskLine() {
    return QString(61, QLatin1Char('*'));
}

}  // namespace

Result<void> ErrorLog::OpenErrorLog(const QString& path, bool append, const QString& programName,
                                    const QString& versionText) {
    m_file.close();
    m_file.setFileName(path);
    m_writeFailure.clear();
    // Buffered: a run writes a line or more per subscriber. A failed write shows when the
    // buffer goes to the file, and the close checks the rest.
    const QIODevice::OpenMode mode =
        QIODevice::WriteOnly | (append ? QIODevice::Append : QIODevice::Truncate);
    const bool opened = m_file.open(mode);
    m_errors = 0;
    m_warnings = 0;
    if (!opened) {
        return Error{QStringLiteral("cannot open the error log %1: %2").arg(path, m_file.errorString())};
    }

    // Four texts, each with its own line end, give the banner's eight lines.
    WriteLogLine(kLineEnd + asteriskLine());
    WriteLogLine(QStringLiteral("Running %1 version: %2").arg(programName, versionText) + kLineEnd);
    WriteLogLine(
        QStringLiteral("Search for '(error)' or '(warning)' to find logged errors and warnings during the "
                       "import process.") +
        kLineEnd);
    WriteLogLine(asteriskLine() + kLineEnd);
    // After the banner, because the search hint holds both markers.
    m_errors = 0;
    m_warnings = 0;
    // A log that cannot take its banner is not opened at all.
    if (!m_file.flush()) noteFailure();
    if (auto written = whole(); !written) {
        m_file.close();
        return written.error();
    }
    return {};
}

Result<void> ErrorLog::whole() const {
    if (m_writeFailure.isEmpty()) return {};
    return Error{QStringLiteral("the error log %1 is incomplete: %2").arg(m_file.fileName(), m_writeFailure)};
}

void ErrorLog::WriteLogLine(const QString& text) {
    if (text.contains(QLatin1StringView("(error)"), Qt::CaseInsensitive)) ++m_errors;
    if (text.contains(QLatin1StringView("(warning)"), Qt::CaseInsensitive)) ++m_warnings;
    if (!m_file.isOpen()) return;
    const QByteArray line = (text + kLineEnd).toLocal8Bit();
    if (m_file.write(line) != line.size()) noteFailure();
}

void ErrorLog::CloseErrorLog() {
    if (m_file.isOpen() && !m_file.flush()) noteFailure();
    m_file.close();
}

void ErrorLog::noteFailure() {
    if (!m_writeFailure.isEmpty()) return;
    m_writeFailure = m_file.errorString();
    if (m_writeFailure.isEmpty()) m_writeFailure = QStringLiteral("a line was written only in part");
}

}  // namespace brindle
