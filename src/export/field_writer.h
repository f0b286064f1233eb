#pragma once

#include <QString>

namespace brindle {

// Which values are enclosed in double quotes: none, those a reader would otherwise split or
// misread, or all of them.
enum class QuoteRule { Never, WhenNeeded, Always };

// What follows every field: "," , a TAB, or CR LF (one field per line).
enum class Separator { Commas, Tabs, LineFeeds, Semicolons };

// Builds one delimited line field by field, header names and values alike. Under WhenNeeded a
// value is enclosed when it holds a comma, the separator, a double quote, CR or LF; inside
// every enclosed value each double quote is doubled, so that a reader of delimited text reads
// back exactly what was written. Never writes every value unchanged.
class FieldWriter {
public:
    FieldWriter(QuoteRule quoting, Separator separator) : m_quoting(quoting), m_separator(separator) {}

    // Appends the value, enclosed as the rule says, and the separator to the current line.
    void AppendField(const QString& value);

    // The finished line, and the current line emptied. With commas or tabs the separator after
    // the last field is dropped; with line feeds it stays, so that a record written with its
    // own line end is followed by one empty line. Empty when nothing was appended.
    QString finishLine();

    void clear() { m_line.clear(); }
    const QString& currentLine() const { return m_line; }

private:
    bool needsQuotes(const QString& value) const;
    QLatin1StringView separatorText() const;

    QuoteRule m_quoting;
    Separator m_separator;
    QString m_line;
};

}  // namespace brindle
