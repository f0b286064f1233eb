#pragma once

#include <QList>
#include <QStringList>

#include "export/output/row_output.h"

namespace brindle::testing {

// Keeps a run's rows as their fields; `committed` says whether the run let them stand.
class MemoryOutput final : public RowOutput {
public:
    Result<void> open() override { return {}; }
    QList<FieldChange> writeRow(const QStringList& fields) override {
        rows << fields;
        return {};
    }
    std::optional<QString> failure() const override { return std::nullopt; }
    Result<void> finish() override { return {}; }
    Result<void> commit() override {
        committed = true;
        return {};
    }
    void cancel() override { rows.clear(); }

    QList<QStringList> rows;
    bool committed = false;
};

}  // namespace brindle::testing
