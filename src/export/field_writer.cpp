#include "export/field_writer.h"

namespace brindle {

QLatin1StringView FieldWriter::separatorText() const {
    switch (m_separator) {
        case Separator::Commas:
            return QLatin1StringView(",");
        case Separator::Tabs:
            return QLatin1StringView("\t");
        case Separator::LineFeeds:
            break;
    }
    return QLatin1StringView("\r\n");
}

bool FieldWriter::needsQuotes(const QString& value) const {
    switch (m_quoting) {
        case QuoteRule::Always:
            return true;
        case QuoteRule::Never:
            return false;
        case QuoteRule::WhenNeeded:
            break;
    }
    // A comma is enclosed whatever the separator, as it always was; a TAB only where it
    // separates. CR and LF cover the line-feed separator.
    for (const QChar c : {QChar(u','), QChar(u'"'), QChar(u'\r'), QChar(u'\n')}) {
        if (value.contains(c)) return true;
    }
    return m_separator == Separator::Tabs && value.contains(QChar(u'\t'));
}

void FieldWriter::AppendField(const QString& value) {
    if (needsQuotes(value)) {
        QString doubled = value;
        doubled.replace(QChar(u'"'), QLatin1StringView("\"\""));
        m_line += QChar(u'"') + doubled + QChar(u'"');
    } else {
        m_line += value;
    }
    m_line += separatorText();
}

QString FieldWriter::finishLine() {
    QString line = std::move(m_line);
    m_line.clear();
    if (m_separator != Separator::LineFeeds) line.chop(separatorText().size());
    return line;
}

}  // namespace brindle
