#include "export/columns/field_text.h"

#include <cmath>

#include "export/columns/column_context.h"
#include "export/directory/recordset.h"

namespace brindle {

namespace {
constexpr int kTypeMismatch = 13;
}

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

std::optional<double> numberOf(ColumnContext& context, const QVariant& value, QStringView field) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number)) {
        context.logFailure(Error{QStringLiteral("Type mismatch"), kTypeMismatch, field.toString()});
        return std::nullopt;
    }
    return number;
}

bool isTrue(ColumnContext& context, const QVariant& value, QStringView field) {
    if (value.isNull()) return false;
    const std::optional<double> number = numberOf(context, value, field);
    return number && *number != 0;
}

QString numberWithSignPosition(qlonglong number) {
    return number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
}

}  // namespace brindle
