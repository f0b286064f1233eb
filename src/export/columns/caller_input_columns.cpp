#include "export/columns/caller_input_columns.h"

#include <cmath>
#include <limits>

#include "export/columns/action_text.h"
#include "export/columns/column_context.h"
#include "export/columns/field_text.h"
#include "export/directory/directory_lookup.h"

namespace brindle {

namespace {

constexpr QLatin1StringView kKeys[] = {
    QLatin1StringView("0"), QLatin1StringView("1"), QLatin1StringView("2"), QLatin1StringView("3"),
    QLatin1StringView("4"), QLatin1StringView("5"), QLatin1StringView("6"), QLatin1StringView("7"),
    QLatin1StringView("8"), QLatin1StringView("9"), QLatin1StringView("*"), QLatin1StringView("#")};
constexpr int kOverflow = 6;

// The action text of the menu entry the recordset stands on.
QString actionText(ColumnContext& context, const Recordset& entry) {
    constexpr QStringView kField = u"Action";
    const QVariant action = fieldValue(context, entry, kField);
    if (action.isNull()) return QString();
    const std::optional<double> code = numberOf(context, action, kField);
    if (!code) return QString();
    const double rounded = std::nearbyint(*code);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max()) {
        context.logFailure(Error{QStringLiteral("Overflow"), kOverflow, kField.toString()});
        return QString();
    }
    return strConstructActionString(context, fieldText(context, entry, u"TargetConversation"),
                                    static_cast<qint16>(rounded),
                                    fieldText(context, entry, u"TargetHandlerObjectID"));
}

}  // namespace

void writeCallerInputKeys(ColumnContext& context) {
    const QVariant handlerId = fieldValue(context, context.callHandler(), u"ObjectID");
    Result<Recordset> entries = context.lookup().rows(views::kMenuEntriesOfCallHandler, handlerId);
    if (!entries) context.logFailure(entries.error());
    if (!entries || entries->RecordCount() < static_cast<int>(std::size(kKeys))) {
        context.WriteLogLine(
            QStringLiteral("(error) could not find all 12 menu entry records for this subscriber"));
        for (std::size_t i = 0; i < std::size(kKeys); ++i) context.AppendField(QString());
        return;
    }
    for (QLatin1StringView key : kKeys) {
        entries->MoveFirst();
        if (!entries->Find(u"TouchtoneKey", QString(key))) {
            // The line has always said "alias" and shown the key.
            context.WriteLogLine(
                QStringLiteral("(error) could not find user input key for this subscriber by alias='%1'")
                    .arg(key));
            context.AppendField(QString());
            continue;
        }
        context.AppendField(actionText(context, *entries));
    }
}

}  // namespace brindle
