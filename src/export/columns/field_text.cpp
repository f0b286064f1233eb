#include "export/columns/field_text.h"

#include "export/columns/column_context.h"
#include "export/directory/recordset.h"

namespace brindle {

QVariant fieldValue(ColumnContext& context, const Recordset& row, QStringView field) {
    auto value = row.value(field);
    if (!value) {
        context.logFailure(value.error());
        return {};
    }
    return value.value();
}

QString fieldText(ColumnContext& context, const Recordset& row, QStringView field) {
    const QVariant value = fieldValue(context, row, field);
    return value.isNull() ? QString() : value.toString();
}

QString numberWithSignPosition(qlonglong number) {
    return number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
}

}  // namespace brindle
