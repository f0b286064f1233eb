#include "export/columns/greeting_columns.h"

#include <QDateTime>

#include "export/columns/column_context.h"
#include "export/columns/field_text.h"
#include "export/directory/directory_lookup.h"
#include "timeconv/time_functions.h"

namespace brindle {

namespace {

// In the order of the item's columns; "Off Hours" fills GREETING_CLOSED_ACTIVE.
constexpr QLatin1StringView kGreetingTypes[] = {QLatin1StringView("Alternate"), QLatin1StringView("Busy"),
                                                QLatin1StringView("Internal"), QLatin1StringView("Off Hours"),
                                                QLatin1StringView("Holiday")};

QString enabledText(ColumnContext& context, const Recordset& greeting) {
    constexpr QStringView kField = u"TimeExpires";
    const QVariant expires = fieldValue(context, greeting, kField);
    if (expires.isNull()) return QStringLiteral("1");
    const std::optional<QDateTime> expiresUtc = storedTime(expires);
    if (!expiresUtc) {
        context.WriteLogLine(
            QStringLiteral("(error) %1 \"%2\" is not a time").arg(kField.toString(), expires.toString()));
        return QString();
    }
    return context.startedUtc() < *expiresUtc ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

void writeGreetingsEnabled(ColumnContext& context) {
    const QVariant handlerId = fieldValue(context, context.callHandler(), u"ObjectID");
    Result<Recordset> greetings = context.lookup().rows(views::kGreetingsOfCallHandler, handlerId);
    if (!greetings) context.logFailure(greetings.error());
    if (!greetings || greetings->RecordCount() < static_cast<int>(std::size(kGreetingTypes))) {
        context.WriteLogLine(
            QStringLiteral("(error) did not find all 5 greeting rules for this subscriber by objectid=") +
            fieldText(context, context.subscriber(), u"SubscriberObjectID"));
        for (std::size_t i = 0; i < std::size(kGreetingTypes); ++i) context.AppendField(QString());
        return;
    }
    for (QLatin1StringView type : kGreetingTypes) {
        greetings->MoveFirst();
        if (!greetings->Find(u"GreetingType", QString(type))) {
            // "greetig" is the line the log has always had; searches for it rely on it.
            context.WriteLogLine(
                QStringLiteral("(error) could not find %1 greetig for this subscriber").arg(type));
            context.AppendField(QString());
            continue;
        }
        context.AppendField(enabledText(context, *greetings));
    }
}

}  // namespace brindle
