#include "export/output/windows_1252.h"

#include <QList>
#include <algorithm>
#include <array>
#include <optional>

namespace brindle {

namespace {

// The characters of bytes 0x80 to 0x9F; 0 where the code page has none.
constexpr std::array<char16_t, 32> kHighControls{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<char> byteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return char(c);
    if (c > 0xFFFF) return std::nullopt;
    const auto found = std::find(kHighControls.begin(), kHighControls.end(), char16_t(c));
    if (found == kHighControls.end()) return std::nullopt;
    return char(0x80 + (found - kHighControls.begin()));
}

}  // namespace

// A lone surrogate is read as U+FFFD, which the code page lacks too.
bool fitsWindows1252(QStringView text) {
    const QList<uint> characters = text.toUcs4();
    return std::all_of(characters.begin(), characters.end(), [](uint c) { return byteOf(c).has_value(); });
}

QByteArray toWindows1252(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const uint c : text.toUcs4()) bytes += byteOf(c).value_or('?');
    return bytes;
}

QByteArray utf8FromWindows1252(QByteArrayView bytes) {
    QByteArray utf8;
    utf8.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        const char16_t high = c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : 0;
        if (c < 0x80) {
            utf8 += byte;
        } else if (high >= 0x800) {
            utf8 += char(0xE0 | (high >> 12));
            utf8 += char(0x80 | ((high >> 6) & 0x3F));
            utf8 += char(0x80 | (high & 0x3F));
        } else {
            const char16_t code = high != 0 ? high : c;
            utf8 += char(0xC0 | (code >> 6));
            utf8 += char(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}

}  // namespace brindle
