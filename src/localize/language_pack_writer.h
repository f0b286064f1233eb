#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

namespace brindle {

// A resource-only Windows DLL (PE32+, x86-64) holding `texts` as RT_STRING resources in
// `language` (a Windows language id), the way a resource compiler and linker lay them out, so
// that loadLanguagePack and Windows itself read them. An empty text is written as a zero-length
// one, which reads as missing. Empty when an ID lies outside 0 to 65535, a text is longer than
// 65535 UTF-16 code units or the image would be larger than the 16 MiB that a pack may be.
QByteArray languagePackImage(const QMap<int, QString>& texts, quint16 language = 1033);

}  // namespace brindle
