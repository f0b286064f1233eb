#include "export/columns/mwi_columns.h"

#include "export/columns/column_context.h"
#include "export/columns/fallbacks.h"
#include "export/columns/field_text.h"
#include "export/directory/directory_lookup.h"

namespace brindle {

namespace {

constexpr int kAlternateColumns = 9;
constexpr QLatin1StringView kPrimaryName("MWI-1");

enum class Device { Primary, Alternate };

Result<Recordset> devicesOfSubscriber(ColumnContext& context) {
    const QVariant subscriberId = fieldValue(context, context.subscriber(), u"ObjectID");
    return context.lookup().rows(views::kMwiDevicesOfSubscriber, subscriberId);
}

// The MWIExtension texts of the subscriber's devices of one kind, in the directory's order.
Result<QStringList> mwiStrings(ColumnContext& context, Device wanted) {
    Result<Recordset> devices = devicesOfSubscriber(context);
    if (!devices) return devices.error();
    QStringList strings;
    for (devices->MoveFirst(); !devices->AtEOF(); devices->MoveNext()) {
        const Result<QVariant> name = devices->value(u"DisplayName");
        // Without the column the condition cannot be tested at all: the look-up failed.
        if (!name) return name.error();
        if (name->isNull()) continue;
        const bool primary = name->toString().compare(kPrimaryName, Qt::CaseInsensitive) == 0;
        if (primary == (wanted == Device::Primary)) strings << fieldText(context, *devices, u"MWIExtension");
    }
    return strings;
}

}  // namespace

void writePrimaryMwiString(ColumnContext& context) {
    const Result<QStringList> strings = mwiStrings(context, Device::Primary);
    if (!strings) {
        // A failed look-up is logged as the failure it is, and nothing more.
        context.logFailure(strings.error());
        context.AppendField(QString());
        return;
    }
    if (strings->isEmpty()) {
        context.AppendField(QString());
        context.WriteLogLine(
            QStringLiteral("(error) search for primary MWI device for this subscriber did not return a "
                           "single row as expected"));
        return;
    }
    context.AppendField(strings->first());
}

void writeAlternateMwiStrings(ColumnContext& context) {
    Result<QStringList> strings = mwiStrings(context, Device::Alternate);
    if (!strings) {
        context.logFailure(strings.error());
        strings = QStringList();
    }
    writeAtMost(context, *strings, strings->size(), kAlternateColumns,
                QStringLiteral("alternate MWI devices"));
}

void writeMwiStatus(ColumnContext& context) {
    Result<Recordset> devices = devicesOfSubscriber(context);
    if (!usableOrFallBack(context, devices, [](const Recordset& found) { return found.RecordCount() >= 1; },
                          {QStringLiteral("(error) could not find any MWI devices for this subscriber"),
                           QStringLiteral(" ")})) {
        return;
    }
    devices->MoveFirst();
    const QVariant on = fieldValue(context, *devices, u"MWIOn");
    context.AppendField(isTrue(context, on, u"MWIOn") ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace brindle
