#include "support/delimited_reader.h"

#include <optional>

namespace brindle::testing {

namespace {

enum class FieldEnd { Separator, LineEnd, TextEnd };

struct Field {
    QString value;
    FieldEnd end;
};

Error malformed(const QString& what, qsizetype position) {
    return Error{QStringLiteral("%1 at character %2").arg(what).arg(position)};
}

// Splits the text into fields, each with what ended it. With no separator only line ends
// end a field.
Result<QList<Field>> readFields(const QString& text, std::optional<QChar> separator) {
    QList<Field> fields;
    qsizetype i = 0;
    const qsizetype n = text.size();
    // Reads the end of a field at i: a separator, a line end, or the end of the text.
    auto fieldEnd = [&](qsizetype at) -> std::optional<std::pair<FieldEnd, qsizetype>> {
        if (at == n) return std::pair{FieldEnd::TextEnd, qsizetype(0)};
        if (separator && text[at] == *separator) return std::pair{FieldEnd::Separator, qsizetype(1)};
        if (text[at] == u'\n') return std::pair{FieldEnd::LineEnd, qsizetype(1)};
        if (text[at] == u'\r' && at + 1 < n && text[at + 1] == u'\n')
            return std::pair{FieldEnd::LineEnd, qsizetype(2)};
        return std::nullopt;
    };

    while (i < n) {
        QString value;
        if (text[i] == u'"') {
            ++i;
            for (;;) {
                if (i == n) return malformed(QStringLiteral("unclosed quote"), i);
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        value += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i++];
            }
            if (!fieldEnd(i)) return malformed(QStringLiteral("text after a closing quote"), i);
        } else {
            while (!fieldEnd(i)) {
                if (text[i] == u'"') return malformed(QStringLiteral("quote inside an unquoted field"), i);
                if (text[i] == u'\r') return malformed(QStringLiteral("CR outside quotes"), i);
                value += text[i++];
            }
        }
        const auto [end, length] = *fieldEnd(i);
        i += length;
        fields.append({value, end});
        // A separator as the last character leaves one more, empty, field.
        if (end == FieldEnd::Separator && i == n) fields.append({QString(), FieldEnd::TextEnd});
    }
    return fields;
}

}  // namespace

Result<QList<QStringList>> readDelimited(const QString& text, QChar separator) {
    auto fields = readFields(text, separator);
    if (!fields) return fields.error();
    QList<QStringList> records;
    QStringList record;
    for (const Field& field : fields.value()) {
        record << field.value;
        if (field.end != FieldEnd::Separator) {
            records << record;
            record.clear();
        }
    }
    return records;
}

Result<QStringList> readFieldPerLine(const QString& text) {
    auto fields = readFields(text, std::nullopt);
    if (!fields) return fields.error();
    QStringList values;
    for (const Field& field : fields.value()) values << field.value;
    return values;
}

}  // namespace brindle::testing
