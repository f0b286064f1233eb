#include "support/delimited_reader.h"

#include <optional>
#include <utility>

namespace brindle::testing {

namespace {

// Reads the text into records of fields. With no separator only line ends end a field, and
// every field is a record.
Result<QList<QStringList>> readRecords(const QString& text, std::optional<QChar> separator) {
    QList<QStringList> records;
    QStringList record;
    qsizetype i = 0;
    const qsizetype n = text.size();
    // The length of the field end at `at` (a separator, CR LF or LF; 0 at the end of the text).
    const auto endLength = [&](qsizetype at) -> std::optional<qsizetype> {
        if (at == n) return 0;
        if ((separator && text[at] == *separator) || text[at] == u'\n') return 1;
        if (text.mid(at, 2) == QLatin1String("\r\n")) return 2;
        return std::nullopt;
    };
    const auto malformed = [&](const char* what) {
        return Error{QStringLiteral("%1 at %2").arg(what).arg(i)};
    };
    while (i < n) {
        QString value;
        if (text[i] == u'"') {
            for (++i;; ++i) {
                if (i == n) return malformed("unclosed quote");
                if (text[i] == u'"' && text.mid(i + 1, 1) != QLatin1String("\"")) break;
                value += text[i];
                if (text[i] == u'"') ++i;  // the second of a doubled quote
            }
            if (!endLength(++i)) return malformed("text after a closing quote");
        } else {
            for (; !endLength(i); ++i) {
                if (text[i] == u'"' || text[i] == u'\r') return malformed("a quote or a CR outside quotes");
                value += text[i];
            }
        }
        record << value;
        const bool bySeparator = separator && i < n && text[i] == *separator;
        i += *endLength(i);
        if (bySeparator && i == n) record << QString();  // a separator last leaves one empty field
        if (!bySeparator || i == n) records << std::exchange(record, {});
    }
    return records;
}

}  // namespace

Result<QList<QStringList>> readDelimited(const QString& text, QChar separator) {
    return readRecords(text, separator);
}

Result<QStringList> readFieldPerLine(const QString& text) {
    auto records = readRecords(text, std::nullopt);
    if (!records) return records.error();
    QStringList fields;
    for (const QStringList& record : records.value()) fields << record;
    return fields;
}

}  // namespace brindle::testing
