#include "export/catalogue.h"

#include "export/columns/caller_input_columns.h"
#include "export/columns/credential_columns.h"
#include "export/columns/greeting_columns.h"
#include "export/columns/identity_columns.h"
#include "export/columns/mailbox_columns.h"
#include "export/columns/mwi_columns.h"
#include "export/columns/time_columns.h"
#include "export/columns/voice_name_columns.h"
#include "localize/localizer.h"

namespace brindle {

namespace {

QStringList numbered(const char* prefix, int count) {
    QStringList columns;
    for (int i = 1; i <= count; ++i) columns << QStringLiteral("%1%2").arg(QLatin1StringView(prefix)).arg(i);
    return columns;
}

const DataItem kItems[] = {
    {3, {"ALIAS"}, writeAlias},
    {23, {"FIRST_NAME"}, writeFirstName},
    {28, {"LAST_NAME"}, writeLastName},
    {17, {"DISPLAY_NAME"}, writeDisplayName},
    {40, {"PRIMARY_EXTENSION"}, writePrimaryExtension},
    {4, numbered("ALT-EXT_", 9), writeAlternateExtensions},
    {55, {"SWITCH_ID"}, writeSwitchId},
    {42, {"PRIMARY_MWI_STRING"}, writePrimaryMwiString},
    {5, numbered("ALT-MWI_", 9), writeAlternateMwiStrings},
    {10, {"COS_NAME"}, writeCosName},
    {46, {"SCHEDULE_NAME"}, writeScheduleName},
    {7, {"BILLING_ID"}, writeBillingId},
    {27, {"LANGUAGE"}, writeLanguage},
    {30, {"LIST_IN_DIRECTORY"}, writeListInDirectory},
    {50, {"SET_FOR_FIRST_TIME_ENROLLMENT"}, writeFirstTimeEnrollment},
    {34, {"MAXIMUM_MESSAGE_LENGTH"}, writeMaximumMessageLength},
    {57, {"TIME_OF_LAST_CALL"}, writeTimeOfLastCall},
    {33, {"MWI_STATUS"}, writeMwiStatus},
    {54, {"SUBSCRIBER_LOCKOUT_STATUS"}, writeLockoutStatus},
    {16, {"DEFAULT_PLAYBACK_VOLUME"}, writePlaybackVolume},
    {67, {"VOICE_NAME_RECORDED"}, writeVoiceNameRecorded},
    {122, {"LAST_PW_CHANGE_TIME"}, writeLastPasswordChangeTime},
    {123, {"SUBSCRIBER_CREATION_TIME"}, writeCreationTime},
    {125, {"MAILBOX_SIZE_BYTES"}, writeMailboxBytesInUse},
    {126, {"MAILBOX_SEND_LIMIT_BYTES"}, writeMailboxSendLimit},
    {127, {"MAILBOX_RECEIVE_LIMIT_BYTES"}, writeMailboxReceiveLimit},
    {128, {"MAILBOX_WARNING_LIMIT_BYTES"}, writeMailboxWarningSize},
    {116,
     {"GREETING_ALTERNATE_ACTIVE", "GREETING_BUSY_ACTIVE", "GREETING_INTERNAL_ACTIVE",
      "GREETING_CLOSED_ACTIVE", "GREETING_HOLIDAY_ACTIVE"},
     writeGreetingsEnabled},
    {117,
     {"CALLER_INPUT_0", "CALLER_INPUT_1", "CALLER_INPUT_2", "CALLER_INPUT_3", "CALLER_INPUT_4",
      "CALLER_INPUT_5", "CALLER_INPUT_6", "CALLER_INPUT_7", "CALLER_INPUT_8", "CALLER_INPUT_9",
      "CALLER_INPUT_*", "CALLER_INPUT_#"},
     writeCallerInputKeys},
    {68, {"VOICE_NAME_WAV_FILE"}, writeVoiceNameByAlias},
    {121, {"VOICE_NAME_AS_EXTENSION_WAV_FILE"}, writeVoiceNameByExtension},
};

}  // namespace

std::span<const DataItem> dataItems() {
    return kItems;
}

QStringList dataItemListEntries(const Localizer& strings) {
    QStringList entries;
    for (const DataItem& item : kItems) {
        const bool builtIn = item.labelId >= 125 && item.labelId <= 128;
        entries << (builtIn ? strings.builtInText(item.labelId) : strings.myLoadResString(item.labelId));
    }
    return entries;
}

}  // namespace brindle
