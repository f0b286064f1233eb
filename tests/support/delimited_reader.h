#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "platform/result.h"

namespace brindle::testing {

// Reads delimited text the way spreadsheets do (RFC 4180): fields end at `separator` or at
// a line end (CR LF or LF); a field that begins with a double quote runs to the matching
// closing quote, with "" standing for one quote and separators and line ends taken as text.
// Strict: a quote inside an unquoted field, text after a closing quote, a lone CR outside
// quotes or an unclosed quote is an Error, so that a faulty writer cannot pass unnoticed.
// A line end just before the end of the text ends the last record without adding another.
Result<QList<QStringList>> readDelimited(const QString& text, QChar separator);

// Reads text written one field per line (the line-feed layout) by the same rules: every line
// end outside quotes ends a field, and a field's quotes may hold line ends.
Result<QStringList> readFieldPerLine(const QString& text);

}  // namespace brindle::testing
