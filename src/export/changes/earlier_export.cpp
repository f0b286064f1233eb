#include "export/changes/earlier_export.h"

#include <QFileInfo>
#include <QSet>
#include <limits>
#include <optional>

#include "export/catalogue.h"
#include "export/output/windows_1252.h"
#include "platform/regular_file.h"

namespace brindle {

namespace {

enum class FieldEnd { Separator, Line, Text };

struct Field {
    QByteArray value;  // a view of the text unless it held a doubled quote
    FieldEnd end;
};

// A place in the text and the number of the line it is on.
struct Cursor {
    QByteArrayView text;
    qsizetype at = 0;
    qsizetype line = 1;

    bool atEnd() const { return at == text.size(); }
    // Steps over a field's end there (the separator, CR LF or LF), if there is one; a lone CR
    // is text, as a value may hold one.
    std::optional<FieldEnd> takeEnd(char separator) {
        if (atEnd()) return FieldEnd::Text;
        const char c = text[at];
        if (separator != 0 && c == separator) {
            ++at;
            return FieldEnd::Separator;
        }
        const qsizetype length = c == '\n'                                                   ? 1
                                 : c == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2
                                                                                             : 0;
        if (length == 0) return std::nullopt;
        at += length;
        ++line;
        return FieldEnd::Line;
    }
};

Error faultOnLine(qsizetype line, const QString& what) {
    return Error{QStringLiteral("line %1: %2").arg(line).arg(what)};
}

// The field at the cursor. A value that begins with a double quote runs to the quote that
// closes it, with "" standing for one; any other ends at the separator or a line end, quotes
// inside it taken as text (a file written without quotes holds them so). Separator 0: only a
// line end ends a field.
Result<Field> readField(Cursor& cursor, char separator) {
    const QByteArrayView text = cursor.text;
    if (cursor.atEnd() || text[cursor.at] != '"') {
        const qsizetype from = cursor.at;
        for (;;) {
            const qsizetype to = cursor.at;
            if (const std::optional<FieldEnd> end = cursor.takeEnd(separator))
                return Field{QByteArray::fromRawData(text.data() + from, to - from), *end};
            ++cursor.at;
        }
    }
    const qsizetype openedOn = cursor.line;
    const qsizetype from = ++cursor.at;
    bool doubled = false;
    for (;; ++cursor.at) {
        if (cursor.atEnd())
            return faultOnLine(openedOn, QStringLiteral("a quote opens a value that is never closed"));
        const char c = text[cursor.at];
        if (c == '\n') ++cursor.line;
        if (c != '"') continue;
        if (cursor.at + 1 == text.size() || text[cursor.at + 1] != '"') break;
        doubled = true;
        ++cursor.at;
    }
    const QByteArrayView inside = text.sliced(from, cursor.at - from);
    ++cursor.at;
    const std::optional<FieldEnd> end = cursor.takeEnd(separator);
    if (!end) return faultOnLine(cursor.line, QStringLiteral("text follows the quote that closes a value"));
    return Field{doubled ? inside.toByteArray().replace("\"\"", "\"")
                         : QByteArray::fromRawData(inside.data(), inside.size()),
                 *end};
}

// The fields up to the next line end, into `fields`.
Result<void> readLine(Cursor& cursor, char separator, QList<QByteArray>& fields) {
    fields.clear();
    for (FieldEnd end = FieldEnd::Separator; end == FieldEnd::Separator;) {
        Result<Field> field = readField(cursor, separator);
        if (!field) return field.error();
        fields << std::move(field->value);
        end = field->end;
    }
    return {};
}

// The `count` values of the row at the cursor, into `fields`. Separator 0: one value on each
// line, and an empty line after the row.
Result<void> readRow(Cursor& cursor, char separator, qsizetype count, QList<QByteArray>& fields) {
    const qsizetype startLine = cursor.line;
    if (separator != 0) {
        if (auto line = readLine(cursor, separator, fields); !line) return line;
        if (fields.size() == count) return {};
        return faultOnLine(
            startLine, QStringLiteral("%1 field(s) where the header has %2").arg(fields.size()).arg(count));
    }
    fields.clear();
    while (fields.size() < count) {
        if (cursor.atEnd()) {
            return faultOnLine(
                startLine,
                QStringLiteral("the file ends within a row of %1 field(s), one on each line").arg(count));
        }
        Result<Field> field = readField(cursor, 0);
        if (!field) return field.error();
        fields << std::move(field->value);
    }
    if (cursor.takeEnd(0)) return {};
    return faultOnLine(startLine,
                       QStringLiteral("the row goes on past the %1 field(s) of the header").arg(count));
}

// The header's names, into `names`. Separator 0: one on each line, up to an empty line.
Result<void> readHeader(Cursor& cursor, char separator, QList<QByteArray>& names) {
    if (separator != 0) return readLine(cursor, separator, names);
    names.clear();
    while (!cursor.atEnd()) {
        Result<Field> name = readField(cursor, 0);
        if (!name) return name.error();
        if (name->value.isEmpty()) break;
        names << std::move(name->value);
    }
    return {};
}

// The separator after the header's first field, ALIAS; 0 for one field on each line, which a
// header shows by an empty line or a column's name on its second line.
Result<char> separatorAfterAlias(Cursor cursor) {
    const QByteArrayView alias = cursor.text.sliced(cursor.at).startsWith('"') ? "\"ALIAS\"" : "ALIAS";
    const Error noAlias =
        faultOnLine(1, QStringLiteral("no ALIAS column: the header does not begin with ALIAS"));
    if (!cursor.text.sliced(cursor.at).startsWith(alias)) return noAlias;
    cursor.at += alias.size();
    if (cursor.atEnd()) return ',';
    const char next = cursor.text[cursor.at];
    if (next == ',' || next == '\t' || next == ';') return next;
    if (!cursor.takeEnd(0)) return noAlias;  // ALIASES, say
    const Result<Field> second = readField(cursor, 0);
    if (!second || second->value.isEmpty()) return char(0);
    const QString name = QString::fromUtf8(second->value);
    for (const DataItem& item : dataItems()) {
        if (item.columns.contains(name)) return char(0);
    }
    return ',';
}

}  // namespace

Result<EarlierExport> EarlierExport::read(const QString& path) {
    const auto fault = [&](const QString& what) {
        return Error{QStringLiteral("the earlier export %1 %2; nothing was exported").arg(path, what)};
    };
    const auto faultAt = [&](const Error& fault) {
        return Error{
            QStringLiteral("the earlier export %1, %2; nothing was exported").arg(path, fault.message)};
    };
    // Any size: the text is kept once, and the run is asked to compare with it.
    RegularFileRead read = readRegularFile(path, std::numeric_limits<qsizetype>::max() / 2);
    if (read.outcome == RegularFileRead::Outcome::CannotOpen && !QFileInfo::exists(path))
        return fault(QStringLiteral("does not exist"));
    if (read.outcome != RegularFileRead::Outcome::Read) return fault(read.problem);

    EarlierExport earlier;
    earlier.m_path = path;
    earlier.m_text = std::move(read.bytes);
    if (earlier.m_text.startsWith("PK\x03\x04"))
        return fault(
            QStringLiteral("is a workbook; only a delimited file this program wrote can be compared"));
    if (!QByteArrayView(earlier.m_text).isValidUtf8()) earlier.m_text = utf8FromWindows1252(earlier.m_text);

    Cursor cursor{earlier.m_text};
    if (earlier.m_text.startsWith("\xEF\xBB\xBF")) cursor.at = 3;
    const Result<char> separator = separatorAfterAlias(cursor);
    if (!separator) return faultAt(separator.error());
    earlier.m_separator = *separator;

    QList<QByteArray> fields;
    if (auto header = readHeader(cursor, *separator, fields); !header) return faultAt(header.error());
    for (const QByteArray& name : std::as_const(fields)) earlier.m_columns << QString::fromUtf8(name);

    QSet<QByteArray> duplicates;
    while (!cursor.atEnd()) {
        const qsizetype start = cursor.at;
        if (auto row = readRow(cursor, *separator, earlier.m_columns.size(), fields); !row)
            return faultAt(row.error());
        const qsizetype index = qsizetype(earlier.m_rowStarts.size());
        earlier.m_rowStarts.push_back(start);
        const QByteArray& alias = fields.first();
        if (!earlier.m_rowOfAlias.contains(alias)) {
            earlier.m_rowOfAlias.insert(alias, index);
        } else if (!duplicates.contains(alias)) {
            duplicates.insert(alias);
            earlier.m_duplicates << alias;
        }
    }
    for (const QByteArray& alias : std::as_const(earlier.m_duplicates)) earlier.m_rowOfAlias.remove(alias);
    return earlier;
}

QStringList EarlierExport::values(qsizetype row) const {
    Cursor cursor{m_text, m_rowStarts[size_t(row)]};
    QList<QByteArray> fields;
    (void)readRow(cursor, m_separator, m_columns.size(), fields);  // read whole once already
    QStringList values;
    values.reserve(fields.size());
    for (const QByteArray& field : std::as_const(fields)) values << QString::fromUtf8(field);
    return values;
}

}  // namespace brindle
