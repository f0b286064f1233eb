#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "localize/language_codes.h"
#include "localize/language_pack.h"
#include "localize/language_pack_writer.h"
#include "platform/regular_file.h"

namespace {

constexpr int kLargestId = 0xFFFF;
constexpr qsizetype kLongestText = 0xFFFF;
// A pack holds at most 16 MiB of UTF-16, which a table writes in at most 24 MiB of UTF-8;
// the rest is room for comments.
constexpr qint64 kLargestTable = 64 * 1024 * 1024;

const QString kDescription = QStringLiteral(
    "Makes and reads Brindle's language packs: resource-only Windows DLLs whose string table holds\n"
    "the program's texts by ID.\n"
    "\n"
    "  make TABLE OUT.dll   writes the pack of TABLE, a UTF-8 text file, in the language of\n"
    "                       --language or else of the code that ends OUT's name (_DEU.dll)\n"
    "  dump PACK.dll        prints a pack's texts as such a table, by ID\n"
    "\n"
    "A table is a regular file of at most 64 MiB with one text a line: its ID (0 to 65535), a tab,\n"
    "then the text as it is, blanks included, where \\n, \\t, \\r and \\\\ stand for a line break, a\n"
    "tab, a carriage return and a backslash. A text may not be empty: a pack cannot hold an empty\n"
    "text, and the program shows its built-in text for an ID that a pack lacks. Blank lines and\n"
    "lines that start with # are left out.");

void printError(const QString& message) {
    std::fputs(qPrintable(QStringLiteral("brindle-pack: %1\n").arg(message)), stderr);
}

QString escaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '\\':
                out += QLatin1StringView("\\\\");
                break;
            case '\n':
                out += QLatin1StringView("\\n");
                break;
            case '\t':
                out += QLatin1StringView("\\t");
                break;
            case '\r':
                out += QLatin1StringView("\\r");
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::optional<QString> unescaped(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i].unicode()) {
            case '\\':
                out += u'\\';
                break;
            case 'n':
                out += u'\n';
                break;
            case 't':
                out += u'\t';
                break;
            case 'r':
                out += u'\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

// The texts of a table file, or the first fault in it with its line number.
std::optional<QMap<int, QString>> readTable(const QString& path) {
    brindle::RegularFileRead file = brindle::readRegularFile(path, kLargestTable);
    if (file.outcome != brindle::RegularFileRead::Outcome::Read) {
        printError(QStringLiteral("%1 %2").arg(path, file.problem));
        return std::nullopt;
    }
    QByteArray bytes = std::move(file.bytes);
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);

    QMap<int, QString> texts;
    QMap<int, int> lineOfId;
    const QList<QByteArray> lines = bytes.split('\n');
    for (int number = 1; number <= lines.size(); ++number) {
        const auto fault = [&](const QString& what) {
            printError(QStringLiteral("%1:%2: %3").arg(path).arg(number).arg(what));
            return std::nullopt;
        };
        QByteArray raw = lines[number - 1];
        if (raw.endsWith('\r')) raw.chop(1);
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        const QString line = decoder.decode(raw);
        if (decoder.hasError()) return fault(QStringLiteral("not UTF-8"));
        if (line.trimmed().isEmpty() || line.startsWith(u'#')) continue;

        const qsizetype tab = line.indexOf(u'\t');
        if (tab < 0) return fault(QStringLiteral("no tab between the ID and the text"));
        bool isNumber = false;
        const QStringView idText = QStringView(line).left(tab);
        const int id = idText.toInt(&isNumber);
        const bool digitsOnly =
            std::all_of(idText.begin(), idText.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (!isNumber || !digitsOnly || id > kLargestId)
            return fault(QStringLiteral("the ID \"%1\" is not a number from 0 to 65535").arg(idText));
        if (lineOfId.contains(id))
            return fault(QStringLiteral("ID %1 again, first given on line %2").arg(id).arg(lineOfId[id]));
        const std::optional<QString> text = unescaped(QStringView(line).mid(tab + 1));
        if (!text) return fault(QStringLiteral("a backslash that is not \\n, \\t, \\r or \\\\"));
        // A pack cannot tell an empty text from a missing one, and the program shows its
        // built-in text for both, so the empty text the translator wrote would never be shown.
        if (text->isEmpty())
            return fault(
                QStringLiteral("ID %1 has an empty text, which a pack cannot hold (the program would "
                               "show its built-in text); leave the line out for that")
                    .arg(id));
        if (text->size() > kLongestText)
            return fault(QStringLiteral("a text longer than 65535 UTF-16 code units"));
        texts.insert(id, *text);
        lineOfId.insert(id, number);
    }
    return texts;
}

// The language a pack named like Brindle_DEU.dll is in; English (1033) for any other name.
quint16 languageOfName(const QString& packPath) {
    static const QRegularExpression code(QStringLiteral("_([A-Za-z]{3})\\.dll$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = code.match(QFileInfo(packPath).fileName());
    return quint16(brindle::LangIdFromCode(match.hasMatch() ? match.captured(1).toUpper() : QString()));
}

int make(const QString& tablePath, const QString& packPath, std::optional<quint16> language) {
    const std::optional<QMap<int, QString>> texts = readTable(tablePath);
    if (!texts) return 1;
    const QByteArray image = brindle::languagePackImage(*texts, language.value_or(languageOfName(packPath)));
    if (image.isEmpty()) {
        printError(QStringLiteral("%1 holds more text than a pack may").arg(tablePath));
        return 1;
    }
    QSaveFile pack(packPath);
    if (!pack.open(QIODevice::WriteOnly) || pack.write(image) != image.size() || !pack.commit()) {
        printError(QStringLiteral("cannot write %1: %2").arg(packPath, pack.errorString()));
        return 1;
    }
    return 0;
}

int dump(const QString& packPath) {
    const std::unique_ptr<brindle::StringSource> pack = brindle::loadLanguagePack(packPath);
    if (!pack) {
        printError(QStringLiteral("%1 is not a language pack that can be read").arg(packPath));
        return 1;
    }
    QByteArray table;
    for (int id = 0; id <= kLargestId; ++id) {
        if (const std::optional<QString> text = pack->text(id))
            table += QString::number(id).toUtf8() + '\t' + escaped(*text).toUtf8() + '\n';
    }
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(table) != table.size() || !out.flush()) {
        printError(QStringLiteral("cannot write the table: %1").arg(out.errorString()));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brindle-pack"));
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    parser.addHelpOption();
    const QCommandLineOption languageOption(QStringLiteral("language"),
                                            QStringLiteral("The Windows language id of the pack's texts."),
                                            QStringLiteral("id"));
    parser.addOption(languageOption);
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("make or dump"));
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("TABLE OUT.dll, or PACK.dll"),
                                 QStringLiteral("[files...]"));
    parser.process(app);

    const QStringList arguments = parser.positionalArguments();
    const QString command = arguments.value(0);
    std::optional<quint16> language;
    if (parser.isSet(languageOption)) {
        bool isNumber = false;
        language = parser.value(languageOption).toUShort(&isNumber);
        if (!isNumber) {
            printError(QStringLiteral("--language takes a number from 0 to 65535"));
            return 1;
        }
    }
    if (command == QLatin1StringView("make") && arguments.size() == 3)
        return make(arguments[1], arguments[2], language);
    if (command == QLatin1StringView("dump") && arguments.size() == 2) return dump(arguments[1]);
    printError(QStringLiteral("expected \"make TABLE OUT.dll\" or \"dump PACK.dll\"; see --help"));
    return 1;
}
