#include "export/columns/caller_input_columns.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "export/columns/action_text.h"
#include "export/columns/column_context.h"
#include "export/columns/field_text.h"
#include "export/directory/directory_lookup.h"
#include "export/directory/id_key.h"

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
    // The first entry of each key, found in one pass: each entry's key is read once.
    std::array<qsizetype, std::size(kKeys)> entryOfKey;
    entryOfKey.fill(-1);
    for (entries->MoveFirst(); !entries->AtEOF(); entries->MoveNext()) {
        const Result<QVariant> touchtone = entries->value(u"TouchtoneKey");
        const std::optional<QString> entryKey = touchtone ? idKey(*touchtone) : std::nullopt;
        if (!entryKey) continue;
        const auto key = std::find(std::cbegin(kKeys), std::cend(kKeys), *entryKey);
        if (key != std::cend(kKeys) && entryOfKey[std::size_t(key - kKeys)] < 0)
            entryOfKey[std::size_t(key - kKeys)] = entries->position();
    }
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        if (entryOfKey[i] < 0) {
            // The line has always said "alias" and shown the key.
            context.WriteLogLine(
                QStringLiteral("(error) could not find user input key for this subscriber by alias='%1'")
                    .arg(kKeys[i]));
            context.AppendField(QString());
            continue;
        }
        entries->MoveTo(entryOfKey[i]);
        context.AppendField(actionText(context, *entries));
    }
}

}  // namespace brindle
