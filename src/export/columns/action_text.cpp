#include "export/columns/action_text.h"

#include "export/columns/column_context.h"
#include "export/columns/field_text.h"
#include "export/directory/directory_lookup.h"

namespace brindle {

namespace {

const QString kError = QStringLiteral("(Error)");
const QString kInvalidLink = QStringLiteral("Invalid Link!");

// The conversations that need no look-up, compared case-sensitively.
struct FixedConversation {
    QLatin1StringView name;
    QLatin1StringView text;
};
constexpr FixedConversation kFixedConversations[] = {
    {QLatin1StringView("SubSignIn"), QLatin1StringView("Route to subscriber sign in")},
    {QLatin1StringView("GreetingsAdministrator"), QLatin1StringView("Route to greetings administration")},
    {QLatin1StringView("ConvUtilsLiveRecord"), QLatin1StringView("Live record")},
    {QLatin1StringView("SubSysTransfer"), QLatin1StringView("Route to subscriber system transfer")},
    {QLatin1StringView("BroadcastMessageAdministrator"),
     QLatin1StringView("Route to broadcast message administrator")},
    {QLatin1StringView("ConvHotelCheckedOut"),
     QLatin1StringView("Route to checked out hotel guest conversation")},
    {QLatin1StringView("ConvCVMMBoxReset"), QLatin1StringView("Route to Community Voice Mail box reset")},
    {QLatin1StringView("SystemTransfer"), QLatin1StringView("Route to system transfer")},
    {QLatin1StringView("EasySignIn"), QLatin1StringView("Route to easy subscriber sign in")},
};

// The two texts of a jump to a call handler: without a target, and before the target's name.
struct HandlerJump {
    QLatin1StringView unset;
    QLatin1StringView prefix;
};
constexpr HandlerJump kGreeting{QLatin1StringView("Set to go to greeting"),
                                QLatin1StringView("Send to greeting for: ")};
constexpr HandlerJump kTransfer{QLatin1StringView("Set to attempt to ring phone"),
                                QLatin1StringView("Ring phone for: ")};

void reportFailure(ColumnContext& context, const Error& error) {
    const QString text =
        QStringLiteral("(error):%1 (%2) in procedure strConstructActionString of Form frmMain")
            .arg(error.number)
            .arg(error.message);
    context.WriteLogLine(text);
    context.showToUser(text);
}

// The one row of a view with this id, standing on it; nothing when the look-up fails
// (reported) or does not give exactly one row.
std::optional<Recordset> onlyRow(ColumnContext& context, const ViewKey& view, const QVariant& id) {
    Result<Recordset> rows = context.lookup().rows(view, id);
    if (!rows) {
        reportFailure(context, rows.error());
        return std::nullopt;
    }
    if (rows->RecordCount() != 1) return std::nullopt;
    rows->MoveFirst();
    return std::move(rows).value();
}

// `prefix` and the row's DisplayName; "(Error)" for a Null name, as a Null joined into text is.
QString named(ColumnContext& context, const QString& prefix, const Recordset& row) {
    const QVariant name = fieldValue(context, row, u"DisplayName");
    return name.isNull() ? kError : prefix + name.toString();
}

QString namedHandler(ColumnContext& context, const ViewKey& view, const QString& targetId,
                     const QString& prefix) {
    const std::optional<Recordset> handler = onlyRow(context, view, targetId);
    return handler ? named(context, prefix, *handler) : kInvalidLink;
}

QString callHandlerJump(ColumnContext& context, const QString& targetId, const HandlerJump& jump) {
    static constexpr QLatin1StringView kDontSet("[dontset]");
    if (targetId.size() == kDontSet.size() && targetId.compare(kDontSet, Qt::CaseInsensitive) == 0)
        return jump.unset;
    const std::optional<Recordset> handler = onlyRow(context, views::kCallHandler, targetId);
    if (!handler) return kInvalidLink;
    if (!isTrue(context, fieldValue(context, *handler, u"IsPrimary"), u"IsPrimary")) {
        return named(context, QString(jump.prefix), *handler);
    }
    // A subscriber's primary call handler is named after its subscriber.
    const QVariant subscriberId = fieldValue(context, *handler, u"Recipient_SubscriberObjectID");
    const std::optional<Recordset> subscriber = onlyRow(context, views::kSubscriber, subscriberId);
    return subscriber ? named(context, QString(jump.prefix), *subscriber) : kInvalidLink;
}

QString conversationText(ColumnContext& context, const QString& conversation, const QString& targetId) {
    for (const FixedConversation& fixed : kFixedConversations) {
        if (conversation == fixed.name) return fixed.text;
    }
    if (conversation == QLatin1String("AD")) {
        return namedHandler(context, views::kDirectoryHandler, targetId,
                            QStringLiteral("Route to name lookup handler:"));
    }
    if (conversation == QLatin1String("PHGreeting")) return callHandlerJump(context, targetId, kGreeting);
    if (conversation == QLatin1String("PHTransfer")) return callHandlerJump(context, targetId, kTransfer);
    if (conversation == QLatin1String("CHInterview")) {
        return namedHandler(context, views::kInterviewHandler, targetId,
                            QStringLiteral("Send to interviewer: "));
    }
    const QString text =
        QStringLiteral("Error in ConstructActionSTring function.  Illegal conversation name:") + conversation;
    context.WriteLogLine(QStringLiteral("(error) ") + text);
    context.showToUser(text);
    return kError;
}

}  // namespace

QString strConstructActionString(ColumnContext& context, const QString& conversation, qint16 action,
                                 const QString& targetId) {
    switch (action) {
        case 0:
            return QStringLiteral("Ignore Key");
        case 1:
            return QStringLiteral("Hang Up");
        case 2:
            return conversationText(context, conversation, targetId);
        case 4:
            return QStringLiteral("Take Message");
        case 5:
            return QStringLiteral("Skip Greeting");
        default:
            return kError;  // 3 has no case of its own
    }
}

}  // namespace brindle
