#include "export/columns/mailbox_columns.h"

#include <cmath>

#include "export/columns/column_context.h"
#include "export/columns/fallbacks.h"
#include "export/columns/field_text.h"
#include "export/directory/directory_lookup.h"

namespace brindle {

namespace {

void writeMailboxFigure(ColumnContext& context, QStringView column) {
    const QVariant subscriberId = fieldValue(context, context.subscriber(), u"ObjectID");
    Result<Recordset> mailbox = context.lookup().mailbox(subscriberId);
    if (!oneRowOrFallBack(context, mailbox,
                          {QStringLiteral("(error) could not find mailbox information for this subscriber"),
                           QStringLiteral("(error)")})) {
        return;
    }
    const QVariant figure = fieldValue(context, *mailbox, column);
    if (figure.isNull()) {
        context.AppendField(QStringLiteral("0"));
        return;
    }
    // Whole figures are written whole, beyond 32 bits too; anything else as a number reads it.
    bool whole = false;
    const qlonglong number = figure.toLongLong(&whole);
    if (whole) {
        context.AppendField(numberWithSignPosition(number));
        return;
    }
    const std::optional<double> value = numberOf(context, figure, column);
    if (!value) {
        context.AppendField(QString());
        return;
    }
    const QString digits = QString::number(std::round(*value), 'f', 0);
    context.AppendField(*value < 0 ? digits : QLatin1Char(' ') + digits);
}

}  // namespace

void writeMailboxBytesInUse(ColumnContext& context) {
    writeMailboxFigure(context, u"Bytesize");
}
void writeMailboxSendLimit(ColumnContext& context) {
    writeMailboxFigure(context, u"Send");
}
void writeMailboxReceiveLimit(ColumnContext& context) {
    writeMailboxFigure(context, u"Receive");
}
void writeMailboxWarningSize(ColumnContext& context) {
    writeMailboxFigure(context, u"Warning");
}

}  // namespace brindle
