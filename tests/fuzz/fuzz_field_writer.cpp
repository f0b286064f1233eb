#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "export/field_writer.h"
#include "support/delimited_reader.h"

using brindle::FieldWriter;
using brindle::QuoteRule;
using brindle::Separator;

namespace {

// The first byte says how the fields' bytes become text: UTF-8, Latin-1 (every byte one
// character, so the fuzzer reaches commas, quotes and line ends directly) or UTF-16 (lone
// surrogates included). Fields are separated by the byte 0x1F.
QStringList fieldsOf(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QStringList fields;
    for (const QByteArray& piece : bytes.split('\x1f')) {
        switch (data[0] % 3) {
            case 0:
                fields << QString::fromUtf8(piece);
                break;
            case 1:
                fields << QString::fromLatin1(piece);
                break;
            default: {
                QString text;
                for (qsizetype i = 0; i + 1 < piece.size(); i += 2)
                    text += QChar(char16_t(uchar(piece[i]) | uchar(piece[i + 1]) << 8));
                fields << text;
                break;
            }
        }
    }
    return fields;
}

[[noreturn]] void fail(const char* what, const QString& line) {
    std::fprintf(stderr, "%s; the line was: %s\n", what, qPrintable(line));
    std::abort();
}

}  // namespace

// Whatever the fields, reading back a line written with quotes always or when needed gives
// exactly the fields; without quotes a line cannot always be read back, but is still written.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const QStringList fields = fieldsOf(data, size);
    for (const QuoteRule rule : {QuoteRule::Never, QuoteRule::WhenNeeded, QuoteRule::Always}) {
        for (const Separator separator : {Separator::Commas, Separator::Tabs, Separator::LineFeeds}) {
            FieldWriter writer(rule, separator);
            for (const QString& field : fields) writer.AppendField(field);
            const QString line = writer.finishLine();
            if (rule == QuoteRule::Never) continue;
            if (separator == Separator::LineFeeds) {
                const auto read = brindle::testing::readFieldPerLine(line);
                if (!read) fail(qPrintable(read.error().message), line);
                if (read.value() != fields) fail("one field a line: the fields read back differ", line);
            } else {
                // Every line of the file ends in CR LF.
                const QChar mark = separator == Separator::Commas ? u',' : u'\t';
                const auto read = brindle::testing::readDelimited(line + QStringLiteral("\r\n"), mark);
                if (!read) fail(qPrintable(read.error().message), line);
                if (read.value() != QList<QStringList>{fields}) fail("the fields read back differ", line);
            }
        }
    }
    return 0;
}
