#pragma once

#include <QString>

namespace brindle {

class ColumnContext;

// The producers of the voice-name file items. Each copies the subscriber's recorded voice
// name (a WAV file: VoiceName, a full path, or relative to the host's stream store) into the
// output folder, replacing an earlier copy of the name, and writes the copy's bare file name.
// Nothing is copied, and the field is empty, when there is no voice name, the file is
// missing, the name to give the copy is Null or empty, or the copy fails (one "(error)"
// line naming the file and the reason).

// Named after the alias: ALIAS_VOICE_NAME.WAV.
void writeVoiceNameByAlias(ColumnContext& context);

// Named after the primary extension: EXTENSION.WAV.
void writeVoiceNameByExtension(ColumnContext& context);

// A directory value made safe as part of a file name in the output folder: every "/", "\",
// NUL or other control character becomes "_", and so does a whole "." or ".." value, so
// that the copy can never land outside the folder.
QString safeFileNamePart(const QString& value);

}  // namespace brindle
