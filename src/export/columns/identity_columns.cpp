#include "export/columns/identity_columns.h"

#include <QMetaType>
#include <cmath>
#include <limits>
#include <optional>

#include "export/columns/column_context.h"
#include "export/columns/field_text.h"
#include "export/directory/recordset.h"
#include "localize/language_codes.h"

namespace brindle {

namespace {

constexpr int kOverflow = 6;

void writeText(ColumnContext& context, const Recordset& row, QStringView field) {
    context.AppendField(fieldText(context, row, field));
}

bool isWholeNumberType(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Bool:
            return true;
        default:
            return false;
    }
}

// A flag of the subscriber row as a condition.
bool flagIsSet(ColumnContext& context, QStringView field) {
    return isTrue(context, fieldValue(context, context.subscriber(), field), field);
}

}  // namespace

void writeAlias(ColumnContext& context) {
    writeText(context, context.subscriber(), u"Alias");
}
void writeFirstName(ColumnContext& context) {
    writeText(context, context.subscriber(), u"FirstName");
}
void writeLastName(ColumnContext& context) {
    writeText(context, context.subscriber(), u"LastName");
}
void writeDisplayName(ColumnContext& context) {
    writeText(context, context.subscriber(), u"DisplayName");
}
void writeBillingId(ColumnContext& context) {
    writeText(context, context.subscriber(), u"BillingID");
}
void writeCosName(ColumnContext& context) {
    writeText(context, context.classOfService(), u"DisplayName");
}

void writeLanguage(ColumnContext& context) {
    constexpr QStringView kField = u"Language";
    const QVariant value = fieldValue(context, context.subscriber(), kField);
    if (value.isNull()) {
        context.AppendField(QString());
        return;
    }
    const std::optional<double> number = numberOf(context, value, kField);
    if (!number) {
        context.AppendField(QString());
        return;
    }
    // Whole-number conversion rounds half to even, and a locale id must fit in 32 bits.
    const double rounded = std::nearbyint(*number);
    if (rounded < std::numeric_limits<qint32>::min() || rounded > std::numeric_limits<qint32>::max()) {
        context.logFailure(Error{QStringLiteral("Overflow"), kOverflow, kField.toString()});
        context.AppendField(QString());
        return;
    }
    context.AppendField(GetLanguageCode(static_cast<qint32>(rounded)));
}

void writeListInDirectory(ColumnContext& context) {
    context.AppendField(flagIsSet(context, u"ListInDirectory") ? QStringLiteral("1") : QStringLiteral("0"));
}

void writeFirstTimeEnrollment(ColumnContext& context) {
    context.AppendField(flagIsSet(context, u"IsVmEnrolled") ? QStringLiteral("0") : QStringLiteral("1"));
}

void writeMaximumMessageLength(ColumnContext& context) {
    constexpr QStringView kField = u"MaxMsgLen";
    const QVariant value = fieldValue(context, context.callHandler(), kField);
    if (value.isNull()) {
        context.AppendField(QString());
        return;
    }
    if (isWholeNumberType(value)) {
        context.AppendField(QString::number(value.toLongLong()));
        return;
    }
    const std::optional<double> number = numberOf(context, value, kField);
    if (!number) {
        context.AppendField(QString());
        return;
    }
    // Decimal text without the sign position's blank; a fraction keeps its digits.
    const bool whole = std::trunc(*number) == *number && std::abs(*number) < 1e15;
    context.AppendField(whole ? QString::number(static_cast<qint64>(*number))
                              : QString::number(*number, 'g', 15));
}

}  // namespace brindle
