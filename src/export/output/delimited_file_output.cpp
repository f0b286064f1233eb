#include "export/output/delimited_file_output.h"

#include "export/output/windows_1252.h"
#include "platform/write_failure.h"

namespace brindle {

DelimitedFileOutput::DelimitedFileOutput(const QString& path, QuoteRule quoting, Separator separator,
                                         TextEncoding encoding)
    : m_file(path), m_line(quoting, separator), m_encoding(encoding) {
    m_file.setDirectWriteFallback(false);
}

Result<void> DelimitedFileOutput::open() {
    if (!m_file.open(QIODevice::WriteOnly)) return Error{m_file.errorString()};
    if (m_encoding == TextEncoding::Utf8WithMark) write("\xEF\xBB\xBF");
    return {};
}

QList<RowOutput::FieldChange> DelimitedFileOutput::writeRow(const QStringList& fields) {
    if (m_failure) return {};
    QList<FieldChange> changes;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        m_line.AppendField(fields[i]);
        if (m_encoding == TextEncoding::Windows1252 && !fitsWindows1252(fields[i]))
            changes.append({i, QStringLiteral("characters that Windows-1252 lacks were written as \"?\""),
                            QString::fromUtf8(utf8FromWindows1252(toWindows1252(fields[i])))});
    }
    const QString line = m_line.finishLine();
    write((m_encoding == TextEncoding::Windows1252 ? toWindows1252(line) : line.toUtf8()) + "\r\n");
    return changes;
}

void DelimitedFileOutput::write(const QByteArray& bytes) {
    m_failure = failureOf(m_file, [&] { return m_file.write(bytes) == bytes.size(); });
}

// A write that fits the file's buffer fails only when the buffer goes to the file, and
// QSaveFile's commit does not see a failure there: the buffer is written, and synced, first.
Result<void> DelimitedFileOutput::finish() {
    if (!m_failure && !m_finished) m_failure = failureToReachDisk(m_file);
    m_finished = true;
    if (m_failure) return Error{*m_failure};
    return {};
}

Result<void> DelimitedFileOutput::commit() {
    if (auto finished = finish(); !finished) return finished;
    m_failure = failureOf(m_file, [this] { return m_file.commit(); });
    if (m_failure) return Error{*m_failure};
    return {};
}

void DelimitedFileOutput::cancel() {
    if (m_file.isOpen()) m_file.cancelWriting();
}

}  // namespace brindle
