#include "export/directory/id_key.h"

#include <algorithm>
#include <cmath>

namespace brindle {

namespace {

bool isAsciiCapital(QChar c) {
    return c >= u'A' && c <= u'Z';
}

// The value of a text of ASCII digits after an optional sign, when it fits 64 bits.
std::optional<qint64> wholeNumberIn(QStringView text) {
    const qsizetype digits = !text.isEmpty() && (text[0] == u'+' || text[0] == u'-') ? 1 : 0;
    if (digits == text.size()) return std::nullopt;
    if (!std::all_of(text.cbegin() + digits, text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    // Eighteen digits always fit; only longer texts need the careful reading.
    if (text.size() - digits <= 18) {
        qint64 number = 0;
        for (qsizetype i = digits; i < text.size(); ++i) number = number * 10 + (text[i].unicode() - u'0');
        return text[0] == u'-' ? -number : number;
    }
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    return ok ? std::optional(number) : std::nullopt;
}

QChar lowerAscii(QChar c) {
    return isAsciiCapital(c) ? QChar(c.unicode() + (u'a' - u'A')) : c;
}

QString keyOfText(const QString& text) {
    if (const auto number = wholeNumberIn(text)) {
        // Most numbers are already in their shortest form.
        const bool shortest = text[0] != u'+' &&
                              (text.size() == 1 || text[text[0] == u'-' ? 1 : 0] != u'0') &&
                              text != QLatin1StringView("-0");
        return shortest ? text : QString::number(*number);
    }
    if (std::none_of(text.cbegin(), text.cend(), isAsciiCapital)) return text;
    QString lower = text;
    for (QChar& c : lower) c = lowerAscii(c);
    return lower;
}

}  // namespace

std::optional<QString> idKey(const QVariant& value) {
    if (value.isNull()) return std::nullopt;
    switch (value.metaType().id()) {
        case QMetaType::QString:
            return keyOfText(*static_cast<const QString*>(value.constData()));
        case QMetaType::Double:
        case QMetaType::Float: {
            const double number = value.toDouble();
            // 2^63 is the first whole number a qint64 cannot hold.
            if (std::trunc(number) == number && std::fabs(number) < 9223372036854775808.0)
                return QString::number(static_cast<qint64>(number));
            break;
        }
        default:
            break;
    }
    // A number of any other type reads as its decimal digits.
    return keyOfText(value.toString());
}

bool hasIdKey(const QVariant& value, QStringView key) {
    if (value.metaType().id() != QMetaType::QString) {
        const std::optional<QString> own = idKey(value);
        return own && *own == key;
    }
    // A text's key compared without making it: this runs for every row a search passes.
    const QString& text = *static_cast<const QString*>(value.constData());
    if (const auto number = wholeNumberIn(text)) {
        const auto wanted = wholeNumberIn(key);  // a key that is a number is in its shortest form
        return wanted && *wanted == *number;
    }
    if (text.size() != key.size()) return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (lowerAscii(text[i]) != key[i]) return false;
    }
    return true;
}

}  // namespace brindle
