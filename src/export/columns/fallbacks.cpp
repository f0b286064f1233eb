#include "export/columns/fallbacks.h"

namespace brindle {

void writeAtMost(ColumnContext& context, const QStringList& texts, qsizetype total, int columns,
                 const QString& what) {
    for (qsizetype i = 0; i < columns; ++i) context.AppendField(texts.value(i));
    if (total > columns) {
        context.WriteLogLine(
            QStringLiteral("(warning) this subscriber has %1 %2; only the first %3 are exported")
                .arg(total)
                .arg(what)
                .arg(columns));
    }
}

}  // namespace brindle
