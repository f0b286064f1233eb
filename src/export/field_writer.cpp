#include "export/field_writer.h"

namespace brindle {

QLatin1StringView FieldWriter::separatorText() const {
    switch (m_separator) {
        case Separator::Commas:
            return QLatin1StringView(",");
        case Separator::Tabs:
            return QLatin1StringView("\t");
        case Separator::Semicolons:
            return QLatin1StringView(";");
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
    // A comma is enclosed whatever the separator, as it always was; a TAB or a semicolon only
    // where it separates. CR and LF cover the line-feed separator.
    const bool tabs = m_separator == Separator::Tabs;
    const bool semicolons = m_separator == Separator::Semicolons;
    for (const QChar c : value) {
        switch (c.unicode()) {
            case u',':
            case u'"':
            case u'\r':
            case u'\n':
                return true;
            case u'\t':
                if (tabs) return true;
                break;
            case u';':
                if (semicolons) return true;
                break;
            default:
                break;
        }
    }
    return false;
}

void FieldWriter::AppendField(const QString& value) {
    // Appended in place: no field costs an allocation of its own.
    if (needsQuotes(value)) {
        m_line += u'"';
        for (const QChar c : value) {
            if (c == u'"') m_line += u'"';
            m_line += c;
        }
        m_line += u'"';
    } else {
        m_line += value;
    }
    m_line += separatorText();
}

QString FieldWriter::finishLine() {
    // The next line starts with this one's room, so that it grows without reallocating.
    const qsizetype room = m_line.capacity();
    QString line = std::move(m_line);
    m_line = QString();
    m_line.reserve(room);
    if (m_separator != Separator::LineFeeds) line.chop(separatorText().size());
    return line;
}

}  // namespace brindle
