#pragma once

#include <QString>
#include <QStringList>

#include "export/columns/column_context.h"
#include "export/directory/recordset.h"
#include "platform/result.h"

namespace brindle {

// What a column writes when its look-up did not give what it needs: a log line and a field.
struct Fallback {
    QString logLine;
    QString field;
};

// True when the look-up succeeded and `usable` accepts its rows. Otherwise a failed look-up is
// logged as the failure it is, then the fallback's line, and the fallback's field is written:
// the producer has nothing more to do.
template <typename Rows, typename Usable>
bool usableOrFallBack(ColumnContext& context, const Result<Rows>& rows, Usable usable,
                      const Fallback& fallback) {
    if (!rows) context.logFailure(rows.error());
    if (rows && usable(*rows)) return true;
    context.WriteLogLine(fallback.logLine);
    context.AppendField(fallback.field);
    return false;
}

// The same for the common case of exactly one row, which `rows` then stands on.
inline bool oneRowOrFallBack(ColumnContext& context, Result<Recordset>& rows, const Fallback& fallback) {
    if (!usableOrFallBack(
            context, rows, [](const Recordset& found) { return found.RecordCount() == 1; }, fallback)) {
        return false;
    }
    rows->MoveFirst();
    return true;
}

// Writes `texts` as exactly `columns` fields, empty ones after the last. The header has that
// many columns, and another field would shift every column after it: a subscriber with
// `total` above `columns` gets one "(warning)" line saying how many `what` it has.
void writeAtMost(ColumnContext& context, const QStringList& texts, qsizetype total, int columns,
                 const QString& what);

}  // namespace brindle
