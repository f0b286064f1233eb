#include "export/output/delimited_file_output.h"

#include "platform/write_failure.h"

namespace brindle {

DelimitedFileOutput::DelimitedFileOutput(const QString& path, QuoteRule quoting, Separator separator)
    : m_file(path), m_line(quoting, separator) {
    m_file.setDirectWriteFallback(false);
}

Result<void> DelimitedFileOutput::open() {
    if (!m_file.open(QIODevice::WriteOnly)) return Error{m_file.errorString()};
    return {};
}

QList<RowOutput::FieldChange> DelimitedFileOutput::writeRow(const QStringList& fields) {
    if (m_failure) return {};
    for (const QString& field : fields) m_line.AppendField(field);
    const QByteArray bytes = m_line.finishLine().toLocal8Bit() + "\r\n";
    m_failure = failureOf(m_file, [&] { return m_file.write(bytes) == bytes.size(); });
    return {};
}

// A write that fits the file's buffer fails only when the buffer goes to the file, and
// QSaveFile's commit does not see a failure there: the buffer is written, and synced, first.
Result<void> DelimitedFileOutput::commit() {
    if (!m_failure) m_failure = failureToReachDisk(m_file);
    if (!m_failure) m_failure = failureOf(m_file, [this] { return m_file.commit(); });
    if (m_failure) return Error{*m_failure};
    return {};
}

void DelimitedFileOutput::cancel() {
    if (m_file.isOpen()) m_file.cancelWriting();
}

}  // namespace brindle
