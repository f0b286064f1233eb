#pragma once

#include <QByteArray>
#include <QList>

#include "export/output/row_output.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace brindle {

// The rows as an Office Open XML workbook: one sheet, the header bold and frozen above a filter
// over every row, each value a text cell so that a spreadsheet reads nothing as a number, a date
// or a formula. Rows go to the disk as they come (the library's constant-memory mode), in a
// file beside the output's name that commit() finishes and renames over it.
class XlsxFileOutput final : public RowOutput {
public:
    explicit XlsxFileOutput(const QString& path);
    ~XlsxFileOutput() override;
    XlsxFileOutput(const XlsxFileOutput&) = delete;
    XlsxFileOutput& operator=(const XlsxFileOutput&) = delete;

    Result<void> open() override;
    QList<FieldChange> writeRow(const QStringList& fields) override;
    std::optional<QString> failure() const override { return m_failure; }
    Result<void> finish() override;
    Result<void> commit() override;
    void cancel() override;

private:
    std::optional<QString> rowFileFailure(bool flush);
    std::optional<QString> finishWorkbook();
    std::optional<QString> finishOnDisk();
    std::optional<QString> moveOverName();
    void discard();

    QString m_path;
    QByteArray m_temporaryPath;
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_bold = nullptr;
    quint32 m_rows = 0;
    QList<qsizetype> m_widths;
    std::optional<QString> m_failure;
    bool m_finished = false;
};

}  // namespace brindle
