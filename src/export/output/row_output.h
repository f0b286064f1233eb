#pragma once

#include <QList>
#include <QStringList>
#include <optional>

#include "platform/result.h"

namespace brindle {

// Where a run's rows go, one at a time, as their fields: the header first, then one row per
// subscriber. Nothing appears under the output's name until commit() succeeds, and cancel()
// leaves nothing behind. A write that fails is kept, not thrown: every later write is skipped
// and failure() says why, so that the run can stop before its next subscriber.
class RowOutput {
public:
    // A field the output could not hold as it is: its index in the row, and what became of it,
    // as the run's "(warning)" line says it before the names of the columns it befell.
    struct FieldChange {
        qsizetype index;
        QString what;
    };

    virtual ~RowOutput() = default;

    virtual Result<void> open() = 0;
    // The fields the row could not hold as they are; empty for a row written as it is.
    virtual QList<FieldChange> writeRow(const QStringList& fields) = 0;
    virtual std::optional<QString> failure() const = 0;
    // Brings every byte to the disk, then puts the output under its name.
    virtual Result<void> commit() = 0;
    virtual void cancel() = 0;
};

}  // namespace brindle
