#pragma once

namespace brindle {

class ColumnContext;

// The producers of the lockout, volume and voice-name-recorded items, one field each.

// "1" when the one password credential is locked (Locked equals 1), else "0". Without
// exactly one password credential: "0" and one "(error)" line.
void writeLockoutStatus(ColumnContext& context);

// "Medium" for 50 and for a Null, "Louder" for 100, "Quieter" for any other number.
void writePlaybackVolume(ColumnContext& context);

// "1" when the subscriber has a voice name, even an empty one; "0" for a Null.
void writeVoiceNameRecorded(ColumnContext& context);

}  // namespace brindle
