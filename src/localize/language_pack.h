#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

#include "localize/localizer.h"

namespace brindle {

// A language pack read from a resource-only Windows DLL (a PE32 or PE32+ image): its RT_STRING
// resources, where the i-th text (0 to 15) of string block n is the text of ID (n - 1) * 16 + i.
// A block held in several languages is read in the first language its directory lists, whichever
// that is. A zero-length text cannot be told from an absent one in this format, so both read as
// missing. A well-formed image without string resources is a pack that holds nothing.
// nullptr when the file is missing, unreadable, not a regular file, larger than 16 MiB, not such a
// file, damaged or hostile: never crashes, never hangs, never blocks on a pipe or a device, and
// never reads outside the file.
std::unique_ptr<StringSource> loadLanguagePack(const QString& path);

// The same, from the file's bytes.
std::unique_ptr<StringSource> loadLanguagePackFromBytes(const QByteArray& bytes);

}  // namespace brindle
