#include "export/output/xlsx_file_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>

namespace brindle {

namespace {

constexpr qsizetype kCellCapacity = 32767;  // UTF-16 code units, as the format counts them
constexpr qsizetype kWidestColumn = 60;
const char* const kSheetName = "Subscribers";

// The library's words for `error`, and the system's when it left a reason in errno.
QString reasonOf(lxw_error error) {
    QString reason = QString::fromUtf8(lxw_strerror(error));
    if (errno != 0) reason += QStringLiteral(" (%1)").arg(qt_error_string(errno));
    return reason;
}

QString systemReason() {
    return qt_error_string(errno);
}

// A spreadsheet reads "_xHHHH_" in a cell as the character HHHH, and XML holds neither U+FFFE
// nor U+FFFF (the library escapes only control characters): both are written as the format's
// escapes, the underscore of a value's own "_xHHHH_" as "_x005F_".
QString escapedForCell(QString value) {
    static const QRegularExpression escapeLike(QStringLiteral("_(x[0-9A-Fa-f]{4}_)"));
    if (value.contains(u"_x")) value.replace(escapeLike, QStringLiteral("_x005F_\\1"));
    return value.replace(QChar(0xFFFE), QStringLiteral("_xFFFE_"))
        .replace(QChar(0xFFFF), QStringLiteral("_xFFFF_"));
}

}  // namespace

XlsxFileOutput::XlsxFileOutput(const QString& path) : m_path(path) {}

XlsxFileOutput::~XlsxFileOutput() {
    cancel();
}

// The file is made here, under a name no one else has, so that the library's own open of it
// at the end cannot meet another run's file; the library rewrites it then. Made as QSaveFile
// makes its own (mode 0666 less the umask), so that the workbook is as readable as the CSV.
Result<void> XlsxFileOutput::open() {
    const QFileInfo target(m_path);
    QByteArray folder = QFile::encodeName(target.absolutePath());
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        const QString suffix = QString::number(QRandomGenerator::global()->generate(), 36);
        m_temporaryPath = QFile::encodeName(
            target.absoluteDir().filePath(QStringLiteral(".%1.%2.xlsx").arg(target.fileName(), suffix)));
        fd = ::open(m_temporaryPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        m_temporaryPath.clear();
        return Error{systemReason()};
    }
    ::close(fd);

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = folder.data();
    errno = 0;
    m_workbook = workbook_new_opt(m_temporaryPath.constData(), &options);
    if (m_workbook) m_sheet = workbook_add_worksheet(m_workbook, kSheetName);
    if (!m_sheet) {
        const QString reason = reasonOf(LXW_ERROR_CREATING_TMPFILE);
        discard();
        return Error{reason};
    }
    m_bold = workbook_add_format(m_workbook);
    format_set_bold(m_bold);
    worksheet_freeze_panes(m_sheet, 1, 0);
    return {};
}

QList<RowOutput::FieldChange> XlsxFileOutput::writeRow(const QStringList& fields) {
    QList<FieldChange> changes;
    if (m_failure || !m_sheet) return changes;
    if (m_widths.size() < fields.size()) m_widths.resize(fields.size(), 0);
    errno = 0;
    for (qsizetype column = 0; column < fields.size(); ++column) {
        QString value = fields[column];
        if (value.isEmpty()) continue;
        if (value.size() > kCellCapacity) {
            value.truncate(kCellCapacity);
            if (value.back().isHighSurrogate()) value.chop(1);
            changes.append(
                {column,
                 QStringLiteral("a value longer than the %1 characters a workbook cell holds was cut there")
                     .arg(kCellCapacity),
                 value});
        } else if (!QStringView(value).isValidUtf16()) {
            changes.append({column, QStringLiteral("half of a character pair was written as \"?\""),
                            QString::fromUtf8(value.toUtf8())});
        }
        m_widths[column] = std::max(m_widths[column], std::min(value.size(), kWidestColumn));
        const lxw_error written = worksheet_write_string(m_sheet, m_rows, lxw_col_t(column),
                                                         escapedForCell(value).toUtf8().constData(),
                                                         m_rows == 0 ? m_bold : nullptr);
        if (written != LXW_NO_ERROR) {
            m_failure = reasonOf(written);
            return {};
        }
    }
    ++m_rows;
    m_failure = rowFileFailure(false);
    return changes;
}

// In constant-memory mode the library keeps the rows in a file of its own until the workbook is
// closed, and neither its writes nor its close look at whether they reached that file: a full
// disk would leave a workbook that opens with rows missing.
std::optional<QString> XlsxFileOutput::rowFileFailure(bool flush) {
    FILE* rows = m_sheet->optimize_tmpfile;
    if (!rows) return std::nullopt;
    if ((!flush || std::fflush(rows) == 0) && !std::ferror(rows)) return std::nullopt;
    return QStringLiteral("the workbook's rows could not be written (%1)").arg(systemReason());
}

std::optional<QString> XlsxFileOutput::finishWorkbook() {
    if (auto failed = rowFileFailure(true)) return failed;
    for (qsizetype column = 0; column < m_widths.size(); ++column)
        worksheet_set_column(m_sheet, lxw_col_t(column), lxw_col_t(column), double(m_widths[column]),
                             nullptr);
    if (m_rows > 0 && !m_widths.isEmpty())
        worksheet_autofilter(m_sheet, 0, 0, m_rows - 1, lxw_col_t(m_widths.size() - 1));
    errno = 0;
    const lxw_error closed = workbook_close(m_workbook);
    m_workbook = nullptr;
    m_sheet = nullptr;
    if (closed != LXW_NO_ERROR) return reasonOf(closed);
    return std::nullopt;
}

// The workbook is closed and its bytes are on the disk; its name is not yet.
std::optional<QString> XlsxFileOutput::finishOnDisk() {
    if (m_finished) return std::nullopt;
    if (!m_workbook) return QStringLiteral("the workbook was not opened");
    if (auto failed = finishWorkbook()) return failed;
    const int fd = ::open(m_temporaryPath.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const QString reason = systemReason();
        if (fd >= 0) ::close(fd);
        return reason;
    }
    ::close(fd);
    m_finished = true;
    return std::nullopt;
}

// The name reaches the disk before commit() returns.
std::optional<QString> XlsxFileOutput::moveOverName() {
    if (::rename(m_temporaryPath.constData(), QFile::encodeName(m_path).constData()) != 0)
        return systemReason();
    m_temporaryPath.clear();
    const int folder = ::open(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return systemReason();
    const bool synced = ::fsync(folder) == 0 || errno == EINVAL;
    const QString reason = synced ? QString() : systemReason();
    ::close(folder);
    if (!synced) return reason;
    return std::nullopt;
}

Result<void> XlsxFileOutput::finish() {
    if (!m_failure) m_failure = finishOnDisk();
    if (m_failure) {
        discard();
        return Error{*m_failure};
    }
    return {};
}

Result<void> XlsxFileOutput::commit() {
    if (auto finished = finish(); !finished) return finished;
    m_failure = moveOverName();
    if (m_failure) {
        discard();
        return Error{*m_failure};
    }
    return {};
}

void XlsxFileOutput::cancel() {
    discard();
}

void XlsxFileOutput::discard() {
    if (m_workbook) lxw_workbook_free(m_workbook);
    m_workbook = nullptr;
    m_sheet = nullptr;
    if (!m_temporaryPath.isEmpty()) ::unlink(m_temporaryPath.constData());
    m_temporaryPath.clear();
}

}  // namespace brindle
