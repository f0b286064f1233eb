#pragma once

#include <QSaveFile>

#include "export/export_options.h"
#include "export/field_writer.h"
#include "export/output/row_output.h"

namespace brindle {

// The delimited text file: each row one line of fields joined as the quoting and separator
// say, in the chosen encoding, ending in CR LF on every platform (the files are opened in
// spreadsheets on Windows). Written beside its name and renamed over it when committed.
class DelimitedFileOutput final : public RowOutput {
public:
    DelimitedFileOutput(const QString& path, QuoteRule quoting, Separator separator,
                        TextEncoding encoding = TextEncoding::Utf8);

    Result<void> open() override;
    QList<FieldChange> writeRow(const QStringList& fields) override;
    std::optional<QString> failure() const override { return m_failure; }
    Result<void> finish() override;
    Result<void> commit() override;
    void cancel() override;

private:
    void write(const QByteArray& bytes);

    QSaveFile m_file;
    FieldWriter m_line;
    TextEncoding m_encoding;
    std::optional<QString> m_failure;
    bool m_finished = false;
};

}  // namespace brindle
