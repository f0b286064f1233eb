#include <optional>
#include <vector>

#include "export/columns/column_context.h"
#include "export/columns/fallbacks.h"
#include "export/columns/field_text.h"
#include "export/columns/identity_columns.h"
#include "export/directory/directory_lookup.h"
#include "export/directory/recordset.h"

namespace brindle {

namespace {

constexpr int kAlternateColumns = 9;

enum class IdIndex { Primary, Alternate };

// Whether an extension row's IdIndex is 0 (the primary) or above 0 (an alternate). A Null,
// or a value that is not a number, is neither.
bool hasIndex(const QVariant& value, IdIndex wanted) {
    if (value.isNull()) return false;
    bool ok = false;
    const double index = value.toDouble(&ok);
    if (!ok) return false;
    return wanted == IdIndex::Primary ? index == 0 : index > 0;
}

// The DTMFAccessID values of the subscriber's extension rows of one kind, in the directory's
// order. A number whose field cannot be read stays an Error until it is written.
Result<std::vector<Result<QVariant>>> extensionsOfSubscriber(ColumnContext& context, IdIndex wanted) {
    const QVariant subscriberId = fieldValue(context, context.subscriber(), u"ObjectID");
    Result<Recordset> rows = context.lookup().rows(views::kExtensionsOfSubscriber, subscriberId);
    if (!rows) return rows.error();
    std::vector<Result<QVariant>> numbers;
    for (rows->MoveFirst(); !rows->AtEOF(); rows->MoveNext()) {
        const Result<QVariant> index = rows->value(u"IdIndex");
        // Without the column the condition cannot be tested at all: the look-up failed.
        if (!index) return index.error();
        if (hasIndex(index.value(), wanted)) numbers.push_back(rows->value(u"DTMFAccessID"));
    }
    return numbers;
}

QString numberText(ColumnContext& context, const Result<QVariant>& number) {
    if (!number) {
        context.logFailure(number.error());
        return QString();
    }
    return number->isNull() ? QString() : number->toString();
}

// The DisplayName of the one row of a view whose ObjectID is `id`; nullopt when the look-up
// failed (logged here) or did not give exactly one row.
std::optional<QString> displayNameOfOnly(ColumnContext& context, const ViewKey& view, const QVariant& id) {
    Result<Recordset> rows = context.lookup().rows(view, id);
    if (!rows) {
        context.logFailure(rows.error());
        return std::nullopt;
    }
    if (rows->RecordCount() != 1) return std::nullopt;
    rows->MoveFirst();
    return fieldText(context, rows.value(), u"DisplayName");
}

}  // namespace

void writePrimaryExtension(ColumnContext& context) {
    const auto numbers = extensionsOfSubscriber(context, IdIndex::Primary);
    if (!usableOrFallBack(
            context, numbers, [](const auto& found) { return found.size() == 1; },
            {QStringLiteral("(error) could not find single primary extension number for this subscriber"),
             QStringLiteral("0")})) {
        return;
    }
    context.AppendField(numberText(context, numbers->front()));
}

void writeAlternateExtensions(ColumnContext& context) {
    const auto numbers = extensionsOfSubscriber(context, IdIndex::Alternate);
    if (!numbers) context.logFailure(numbers.error());
    const qsizetype count = numbers ? static_cast<qsizetype>(numbers->size()) : 0;
    QStringList texts;
    for (qsizetype i = 0; i < qMin<qsizetype>(count, kAlternateColumns); ++i)
        texts << numberText(context, numbers->at(i));
    writeAtMost(context, texts, count, kAlternateColumns, QStringLiteral("alternate extensions"));
}

void writeScheduleName(ColumnContext& context) {
    const QVariant scheduleId = fieldValue(context, context.callHandler(), u"ScheduleSetObjectID");
    context.AppendField(displayNameOfOnly(context, views::kScheduleSet, scheduleId).value_or(QString()));
}

void writeSwitchId(ColumnContext& context) {
    const QVariant switchId = fieldValue(context, context.subscriber(), u"MediaSwitchObjectID");
    const std::optional<QString> name = displayNameOfOnly(context, views::kMediaSwitch, switchId);
    if (!name) {
        context.WriteLogLine(QStringLiteral("(error) could not find MediaSwitch entry for this subscriber"));
        context.AppendField(QStringLiteral("(error)"));
        return;
    }
    context.AppendField(*name);
}

}  // namespace brindle
