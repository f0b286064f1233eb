#include "export/columns/time_columns.h"

#include "export/columns/column_context.h"
#include "export/columns/credentials.h"
#include "export/columns/fallbacks.h"
#include "export/columns/field_text.h"
#include "timeconv/time_functions.h"

namespace brindle {

namespace {

// The local date text of a stored UTC time that is not Null.
QString localTimeText(ColumnContext& context, const QVariant& stored, QStringView field) {
    const std::optional<QDateTime> utc = storedTime(stored);
    if (!utc) {
        context.WriteLogLine(
            QStringLiteral("(error) %1 \"%2\" is not a time").arg(field.toString(), stored.toString()));
        return QString();
    }
    const QDateTime local = GMTToLocalTime(*utc, context.localOffsetSeconds());
    return context.isoDates() ? local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : dateText(local);
}

}  // namespace

void writeTimeOfLastCall(ColumnContext& context) {
    constexpr QStringView kField = u"TimeLastCall";
    const QVariant stored = fieldValue(context, context.subscriber(), kField);
    if (stored.isNull() || stored.toString().isEmpty()) {
        context.AppendField(QStringLiteral("none"));
        return;
    }
    context.AppendField(localTimeText(context, stored, kField));
}

void writeLastPasswordChangeTime(ColumnContext& context) {
    Result<Recordset> credential = passwordCredentials(context);
    if (!oneRowOrFallBack(context, credential,
                          {QStringLiteral("(error) could not find Credential entry for this subscriber"),
                           QStringLiteral("(error)")})) {
        return;
    }
    constexpr QStringView kField = u"TimeChanged";
    const QVariant stored = fieldValue(context, *credential, kField);
    context.AppendField(stored.isNull() ? QString() : localTimeText(context, stored, kField));
}

void writeCreationTime(ColumnContext& context) {
    constexpr QStringView kField = u"CreationTime";
    const QVariant stored = fieldValue(context, context.subscriber(), kField);
    context.AppendField(stored.isNull() ? QString() : localTimeText(context, stored, kField));
}

}  // namespace brindle
