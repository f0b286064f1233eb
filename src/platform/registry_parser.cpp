// The registry export's text format, read into a RegistryFile.
#include <QStringConverter>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <array>

#include "platform/registry_file.h"

namespace brindle {

namespace {

constexpr QLatin1StringView kHeaderVersion4{"REGEDIT4"};
constexpr QLatin1StringView kHeaderVersion5{"Windows Registry Editor Version 5.00"};

struct RootKey {
    QLatin1StringView name;
    QLatin1StringView abbreviation;
};

constexpr std::array<RootKey, 5> kRootKeys{{
    {QLatin1StringView("HKEY_LOCAL_MACHINE"), QLatin1StringView("HKLM")},
    {QLatin1StringView("HKEY_CURRENT_USER"), QLatin1StringView("HKCU")},
    {QLatin1StringView("HKEY_CLASSES_ROOT"), QLatin1StringView("HKCR")},
    {QLatin1StringView("HKEY_USERS"), QLatin1StringView("HKU")},
    {QLatin1StringView("HKEY_CURRENT_CONFIG"), QLatin1StringView("HKCC")},
}};

constexpr int kTypeString = 1;
constexpr int kTypeExpandString = 2;
constexpr int kTypeBinary = 3;
constexpr int kTypeDword = 4;

bool isHexDigits(QStringView text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    });
}

}  // namespace

// Reads an export line by line into a RegistryFile. Every failure names the line, so that a
// hand-edited host file can be put right without guessing.
class RegistryFileParser {
public:
    RegistryFileParser(QString sourceName, QStringList lines)
        : m_sourceName(std::move(sourceName)), m_lines(std::move(lines)) {}

    Result<RegistryFile> run();

private:
    Error lineError(const QString& what) const {
        return Error{QStringLiteral("%1, line %2: %3").arg(m_sourceName, QString::number(m_index + 1), what)};
    }
    Result<void> readHeader();
    Result<void> readKeyLine(const QString& line);
    Result<void> readValueLine(const QString& line);
    Result<QString> readQuoted(const QString& text, qsizetype& pos) const;
    Result<std::optional<RegistryValue>> readData(QString data);
    Result<RegistryValue> readHex(const QString& data) const;

    QString m_sourceName;
    QStringList m_lines;
    qsizetype m_index = 0;
    bool m_unicodeExport = true;
    bool m_afterFirstKey = false;
    std::optional<RegistryFile::Node> m_currentKey;  // nothing below a deleted key
    RegistryFile m_registry;
};

Result<RegistryFile> RegistryFileParser::run() {
    if (auto header = readHeader(); !header) return header.error();
    for (++m_index; m_index < m_lines.size(); ++m_index) {
        const QString line = m_lines[m_index].trimmed();
        if (line.isEmpty() || line.startsWith(u';')) continue;
        Result<void> read;
        if (line.startsWith(u'[')) {
            read = readKeyLine(line);
        } else if (line.startsWith(u'"') || line.startsWith(u'@')) {
            read = readValueLine(line);
        } else {
            read = lineError(QStringLiteral("the line is neither a key, a value nor a comment"));
        }
        if (!read) return read.error();
    }
    return std::move(m_registry);
}

Result<void> RegistryFileParser::readHeader() {
    while (m_index < m_lines.size() && m_lines[m_index].trimmed().isEmpty()) ++m_index;
    if (m_index == m_lines.size()) {
        m_index = 0;
        return lineError(QStringLiteral("the file is empty; a registry export starts with \"%1\" or \"%2\"")
                             .arg(kHeaderVersion5, kHeaderVersion4));
    }
    const QString header = m_lines[m_index].trimmed();
    if (header == kHeaderVersion5) return {};
    if (header == kHeaderVersion4) {
        m_unicodeExport = false;
        return {};
    }
    return lineError(QStringLiteral("a registry export starts with \"%1\" or \"%2\"")
                         .arg(kHeaderVersion5, kHeaderVersion4));
}

Result<void> RegistryFileParser::readKeyLine(const QString& line) {
    if (!line.endsWith(u']')) return lineError(QStringLiteral("the key has no closing \"]\""));
    QString path = line.mid(1, line.size() - 2);
    const bool deleted = path.startsWith(u'-');
    if (deleted) path.remove(0, 1);

    while (path.endsWith(u'\\')) path.chop(1);
    QStringList parts = path.split(u'\\');
    const auto root = std::find_if(kRootKeys.begin(), kRootKeys.end(), [&](const RootKey& key) {
        return parts.front().compare(key.name, Qt::CaseInsensitive) == 0 ||
               parts.front().compare(key.abbreviation, Qt::CaseInsensitive) == 0;
    });
    if (root == kRootKeys.end()) {
        return lineError(
            QStringLiteral("\"%1\" is not a root key such as HKEY_LOCAL_MACHINE").arg(parts.front()));
    }
    parts.front() = root->name;
    if (parts.contains(QString())) return lineError(QStringLiteral("the key path has an empty key name"));

    m_afterFirstKey = true;
    m_currentKey.reset();
    if (deleted) {
        std::optional<RegistryFile::Node> parent = RegistryFile::kAboveRoots;
        for (qsizetype i = 0; parent && i + 1 < parts.size(); ++i)
            parent = m_registry.child(*parent, parts[i]);
        if (parent) m_registry.deleteChild(*parent, parts.back());
        return {};
    }
    // Every ancestor of a written key exists as well, as in the registry.
    RegistryFile::Node key = RegistryFile::kAboveRoots;
    for (const QString& part : std::as_const(parts)) key = m_registry.createChild(key, part);
    m_currentKey = key;
    return {};
}

Result<void> RegistryFileParser::readValueLine(const QString& line) {
    qsizetype pos = 0;
    QString name;
    if (line.startsWith(u'@')) {
        pos = 1;
    } else {
        auto quoted = readQuoted(line, pos);
        if (!quoted) return quoted.error();
        name = quoted.value();
    }
    while (pos < line.size() && line[pos].isSpace()) ++pos;
    if (pos == line.size() || line[pos] != u'=')
        return lineError(QStringLiteral("the value name has no \"=\""));

    auto data = readData(line.mid(pos + 1).trimmed());
    if (!data) return data.error();
    if (!m_afterFirstKey) return lineError(QStringLiteral("a value comes before the first key"));
    // As on import into the registry: values below a deleted key are dropped with it.
    if (!m_currentKey) return {};
    if (data.value()) {
        m_registry.setValue(*m_currentKey, name, std::move(*data.value()));
    } else {
        m_registry.deleteValue(*m_currentKey, name);
    }
    return {};
}

Result<QString> RegistryFileParser::readQuoted(const QString& text, qsizetype& pos) const {
    QString out;
    for (++pos; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (c == u'"') {
            ++pos;
            return out;
        }
        if (c == u'\\') {
            if (pos + 1 == text.size()) break;
            const QChar escaped = text[++pos];
            if (escaped != u'\\' && escaped != u'"') {
                return lineError(QStringLiteral("unknown escape \"\\%1\" in quoted text (a backslash is "
                                                "written \"\\\\\")")
                                     .arg(escaped));
            }
            out.append(escaped);
            continue;
        }
        out.append(c);
    }
    return lineError(QStringLiteral("the quoted text has no closing quote"));
}

// The data after "=": nothing (a deleted value) or the value. Hex data may go on over the
// following lines, each but the last ending in a backslash.
Result<std::optional<RegistryValue>> RegistryFileParser::readData(QString data) {
    if (data == u"-") return std::optional<RegistryValue>();
    if (data.startsWith(u'"')) {
        qsizetype pos = 0;
        auto text = readQuoted(data, pos);
        if (!text) return text.error();
        if (!data.mid(pos).trimmed().isEmpty()) {
            return lineError(QStringLiteral("unexpected text after the closing quote"));
        }
        return std::optional(RegistryValue{kTypeString, text.value()});
    }
    if (data.startsWith(QLatin1StringView("dword:"), Qt::CaseInsensitive)) {
        const QString digits = data.mid(6).trimmed();
        if (!isHexDigits(digits) || digits.size() > 8) {
            return lineError(
                QStringLiteral("\"%1\" is not a dword of 1 to 8 hexadecimal digits").arg(digits));
        }
        // The registry keeps the 32 bits; readers take them as a signed number.
        return std::optional(RegistryValue{kTypeDword, static_cast<qint32>(digits.toUInt(nullptr, 16))});
    }
    if (data.startsWith(QLatin1StringView("hex"), Qt::CaseInsensitive)) {
        const qsizetype firstLine = m_index;
        while (data.endsWith(u'\\')) {
            if (m_index + 1 == m_lines.size()) {
                return lineError(QStringLiteral("the hex data goes on past the end of the file"));
            }
            data.chop(1);
            data += m_lines[++m_index].trimmed();
        }
        auto value = readHex(data);
        if (!value) {
            m_index = firstLine;
            return lineError(value.error().message);
        }
        return std::optional(std::move(value).value());
    }
    return lineError(QStringLiteral("the value data is neither \"text\", dword: nor hex:"));
}

Result<RegistryValue> RegistryFileParser::readHex(const QString& data) const {
    // "hex:" is binary; "hex(N):" carries the registry type N in hexadecimal.
    int type = kTypeBinary;
    qsizetype colon = 3;
    if (data.size() > 3 && data[3] == u'(') {
        const qsizetype close = data.indexOf(u')', 4);
        const QStringView digits = close == -1 ? QStringView() : QStringView(data).mid(4, close - 4);
        if (!isHexDigits(digits) || digits.size() > 8) {
            return Error{QStringLiteral("\"%1\" is not a value type such as hex(2):").arg(data.left(12))};
        }
        type = static_cast<int>(digits.toUInt(nullptr, 16));
        colon = close + 1;
    }
    if (colon >= data.size() || data[colon] != u':') {
        return Error{QStringLiteral("\"%1\" is not hex: or hex(type):").arg(data.left(12))};
    }

    QByteArray bytes;
    const QString list = data.mid(colon + 1).trimmed();
    if (!list.isEmpty()) {
        for (const QString& item : list.split(u',')) {
            bool ok = false;
            const QString digits = item.trimmed();
            const uint byte = isHexDigits(digits) && digits.size() <= 2 ? digits.toUInt(&ok, 16) : 0;
            if (!ok) return Error{QStringLiteral("\"%1\" is not a hexadecimal byte").arg(digits)};
            bytes.append(static_cast<char>(byte));
        }
    }

    if (type == kTypeString || type == kTypeExpandString) {
        // Version 5 exports hold these texts in UTF-16LE, REGEDIT4 ones in the 8-bit code page.
        if (m_unicodeExport && bytes.size() % 2 != 0) {
            return Error{QStringLiteral("a hex(%1) text has an odd number of bytes").arg(type)};
        }
        QStringDecoder decode(m_unicodeExport ? QStringConverter::Utf16LE : QStringConverter::Utf8);
        QString text = decode(bytes);
        while (text.endsWith(QChar(u'\0'))) text.chop(1);
        return RegistryValue{type, text};
    }
    if (type == kTypeDword) {
        if (bytes.size() != 4) return Error{QStringLiteral("a hex(4) value must have exactly 4 bytes")};
        return RegistryValue{type, qFromLittleEndian<qint32>(bytes.constData())};
    }
    return RegistryValue{type, bytes};
}

Result<RegistryFile> RegistryFile::parse(const QByteArray& bytes, const QString& sourceName) {
    const QString source = sourceName.isEmpty() ? QStringLiteral("Registry data") : sourceName;
    // A byte order mark says UTF-16 (the usual for version 5 exports); without one, UTF-8.
    const auto encoding = QStringConverter::encodingForData(bytes).value_or(QStringConverter::Utf8);
    QStringDecoder decode(encoding);
    const QString text = decode(bytes);
    if (decode.hasError()) {
        return Error{QStringLiteral("%1: the text is not valid %2")
                         .arg(source, QStringConverter::nameForEncoding(encoding))};
    }
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r')) line.chop(1);
    }
    return RegistryFileParser(source, std::move(lines)).run();
}

}  // namespace brindle
