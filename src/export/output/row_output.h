#pragma once

#include <QList>
#include <QStringList>
#include <optional>

#include "platform/result.h"

namespace brindle {

// Where a run's rows go, one at a time, as their fields: the header first, then one row per
// subscriber. Nothing appears under the output's name until commit() succeeds, and cancel()
// leaves nothing behind; finish() first brings every byte to the disk beside the name, so that
// a run with two outputs commits the second only once both are whole. A write that fails is kept, not thrown:
// every later write is skipped and failure() says why, so that the run can stop before its next subscriber.
class RowOutput {
public:
    // A field the output could not hold as it is: its index in the row, what became of it, as
    // the run's "(warning)" line says it before the names of the columns it befell, and the
    // value the output holds instead.
    struct FieldChange {
        qsizetype index;
        QString what;
        QString held;
    };

    virtual ~RowOutput() = default;

    virtual Result<void> open() = 0;
    // The fields the row could not hold as they are; empty for a row written as it is.
    virtual QList<FieldChange> writeRow(const QStringList& fields) = 0;
    virtual std::optional<QString> failure() const = 0;
    // Brings every byte to the disk, beside the output's name.
    virtual Result<void> finish() = 0;
    // Finishes the output unless that was done, then puts it under its name.
    virtual Result<void> commit() = 0;
    virtual void cancel() = 0;
};

}  // namespace brindle
