#include "log/error_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/write_failure.h"

namespace brindle {

namespace {

// Kept at CR LF on every platform: the log is read in editors on Windows.
constexpr QLatin1StringView kLineEnd("\r\n");

QString asteriskLine() {
    return QString(61, QLatin1Char('*'));
}

// The log lives in a home folder that others may write to: a symbolic link, a hard link or
// a pipe put in its place must not make the run write into someone else's file or wait for
// ever. The file is opened without following a link and without waiting, and only a regular
// file of one name is emptied; anything else is refused before a byte is written.
Result<int> openLogFile(const QString& path, bool append) {
    const QByteArray name = QFile::encodeName(path);
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
    auto refuse = [&](const QString& reason) -> Result<int> {
        if (fd >= 0) ::close(fd);
        return Error{QStringLiteral("cannot open the error log %1: %2").arg(path, reason)};
    };
    if (fd < 0) {
        if (errno == ELOOP) return refuse(QStringLiteral("it is a symbolic link"));
        // A pipe or socket that no one reads.
        if (errno == ENXIO) return refuse(QStringLiteral("it is not a regular file"));
        return refuse(qt_error_string(errno));
    }
    struct stat status = {};
    if (::fstat(fd, &status) != 0) return refuse(qt_error_string(errno));
    if (!S_ISREG(status.st_mode)) return refuse(QStringLiteral("it is not a regular file"));
    if (status.st_nlink > 1) return refuse(QStringLiteral("it is a hard link to another file"));
    if (!append && ::ftruncate(fd, 0) != 0) return refuse(qt_error_string(errno));
    return fd;
}

}  // namespace

Result<void> ErrorLog::OpenErrorLog(const QString& path, bool append, const QString& programName,
                                    const QString& versionText) {
    m_file.close();
    m_path = path;
    m_writeFailure.clear();
    m_errors = 0;
    m_warnings = 0;
    const Result<int> fd = openLogFile(path, append);
    if (!fd) return fd.error();
    // Buffered: a run writes a line or more per subscriber. A failed write shows when the
    // buffer goes to the file, and the close checks the rest.
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | (append ? QIODevice::Append : QIODevice::NotOpen);
    if (!m_file.open(*fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(*fd);
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
    noteFailure(failureOf(m_file, [this] { return m_file.flush(); }));
    if (auto written = whole(); !written) {
        m_file.close();
        return written.error();
    }
    return {};
}

Result<void> ErrorLog::whole() const {
    if (m_writeFailure.isEmpty()) return {};
    return Error{QStringLiteral("the error log %1 is incomplete: %2").arg(m_path, m_writeFailure)};
}

void ErrorLog::WriteLogLine(const QString& text) {
    if (text.contains(QLatin1StringView("(error)"), Qt::CaseInsensitive)) ++m_errors;
    if (text.contains(QLatin1StringView("(warning)"), Qt::CaseInsensitive)) ++m_warnings;
    if (!m_file.isOpen()) return;
    const QByteArray line = (text + kLineEnd).toLocal8Bit();
    noteFailure(failureOf(m_file, [&] { return m_file.write(line) == line.size(); }));
}

Result<void> ErrorLog::flushToDisk() {
    if (m_file.isOpen()) {
        noteFailure(failureToReachDisk(m_file));
    }
    return whole();
}

void ErrorLog::CloseErrorLog() {
    if (m_file.isOpen()) noteFailure(failureOf(m_file, [this] { return m_file.flush(); }));
    m_file.close();
}

void ErrorLog::noteFailure(const std::optional<QString>& reason) {
    if (reason && m_writeFailure.isEmpty()) m_writeFailure = *reason;
}

}  // namespace brindle
