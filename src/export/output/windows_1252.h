#pragma once

#include <QByteArray>
#include <QStringView>

namespace brindle {

// Whether every character of the text is in the Windows-1252 code page.
bool fitsWindows1252(QStringView text);

// The text in the Windows-1252 code page; a character it lacks (one code point, a pair of
// surrogates included) becomes "?", as the platform's own conversion writes it.
QByteArray toWindows1252(QStringView text);

// Windows-1252 bytes as UTF-8; the five bytes the code page leaves unassigned become the
// control characters of the same number, as the platform's own conversion reads them.
QByteArray utf8FromWindows1252(QByteArrayView bytes);

}  // namespace brindle
