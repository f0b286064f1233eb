#include "export/columns/credential_columns.h"

#include "export/columns/column_context.h"
#include "export/columns/credentials.h"
#include "export/columns/fallbacks.h"
#include "export/columns/field_text.h"
#include "export/directory/directory_lookup.h"

namespace brindle {

namespace {
constexpr int kPasswordCredential = 4;
}

Result<Recordset> passwordCredentials(ColumnContext& context) {
    const QVariant subscriberId = fieldValue(context, context.subscriber(), u"ObjectID");
    Result<Recordset> credentials = context.lookup().rows(views::kCredentialsOfUser, subscriberId);
    if (!credentials) return credentials;
    if (!credentials->hasField(u"CredentialType")) return credentials->value(u"CredentialType").error();
    return credentials->filtered([](const Recordset& row) {
        // As the directory compares it: a number equal to 4, never a Null or a text.
        bool ok = false;
        const double type = row.value(u"CredentialType")->toDouble(&ok);
        return ok && type == kPasswordCredential;
    });
}

void writeLockoutStatus(ColumnContext& context) {
    Result<Recordset> credential = passwordCredentials(context);
    if (!oneRowOrFallBack(context, credential,
                          {QStringLiteral("(error) could not find vw_Credential row for this subscriber"),
                           QStringLiteral("0")})) {
        return;
    }
    const QVariant locked = fieldValue(context, *credential, u"Locked");
    bool ok = false;
    const bool isLocked = !locked.isNull() && locked.toDouble(&ok) == 1 && ok;
    context.AppendField(isLocked ? QStringLiteral("1") : QStringLiteral("0"));
}

void writePlaybackVolume(ColumnContext& context) {
    constexpr QStringView kField = u"Volume";
    const QVariant volume = fieldValue(context, context.subscriber(), kField);
    if (volume.isNull()) {
        context.AppendField(QStringLiteral("Medium"));
        return;
    }
    const std::optional<double> number = numberOf(context, volume, kField);
    if (!number) {
        context.AppendField(QString());
        return;
    }
    context.AppendField(*number == 50    ? QStringLiteral("Medium")
                        : *number == 100 ? QStringLiteral("Louder")
                                         : QStringLiteral("Quieter"));
}

void writeVoiceNameRecorded(ColumnContext& context) {
    const QVariant voiceName = fieldValue(context, context.subscriber(), u"VoiceName");
    context.AppendField(voiceName.isNull() ? QStringLiteral("0") : QStringLiteral("1"));
}

}  // namespace brindle
