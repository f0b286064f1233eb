#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "localize/language_pack.h"
#include "localize/language_pack_writer.h"
#include "localize/string_table.h"
#include "support/brindle_process.h"

using brindle::languagePackImage;
using brindle::loadLanguagePack;
using brindle::loadLanguagePackFromBytes;
using namespace brindle::testing;

namespace {

QString longText() {
    return QStringLiteral("0123456789abcdef").repeated(200);
}

// Texts in six string blocks, the first and the last of them included. The script below gives
// these same texts; its ID 2 is empty, which reads as missing, and ID 100 is held in German
// and English, German listed first.
QMap<int, QString> sampleTexts() {
    return {{0, QStringLiteral(" Build")},
            {15, QStringLiteral("tab\there\nnewline \\ backslash \"quoted\"")},
            {17, QStringLiteral("日本語 𝄞")},
            {40, longText()},
            {100, QStringLiteral("Deutsch")},
            {4000, QStringLiteral("last block")},
            {65535, QStringLiteral("the very last")}};
}

const char kResourceScript[] = R"rc(STRINGTABLE
BEGIN
  0, " Build"
  2, ""
  15, "tab\there\nnewline \\ backslash ""quoted"""
  17, "日本語 𝄞"
  40, "%1"
  4000, "last block"
  65535, "the very last"
END
LANGUAGE 0x07, 0x01
STRINGTABLE
BEGIN
  100, "Deutsch"
END
LANGUAGE 0x09, 0x01
STRINGTABLE
BEGIN
  100, "English"
END
)rc";

// The first ID whose text differs from `expected`, described; empty when all 65536 agree.
QString firstDifference(const brindle::StringSource& pack, const QMap<int, QString>& expected) {
    for (int id = 0; id <= 0xFFFF; ++id) {
        const auto wanted = expected.contains(id) ? std::optional(expected[id]) : std::nullopt;
        if (pack.text(id) != wanted)
            return QStringLiteral("ID %1 is %2").arg(id).arg(pack.text(id).value_or("nothing").left(40));
    }
    return {};
}

// A run of brindle-pack; exit code -1 when it crashed or did not end in time.
ProcessOutcome pack(const QStringList& arguments, int timeoutMs = 60000) {
    ProcessOutcome ran = runProcess(qEnvironmentVariable("BRINDLE_BIN_DIR") + "/brindle-pack", arguments,
                                    QProcessEnvironment::systemEnvironment(), {}, timeoutMs);
    if (ran.exitStatus != QProcess::NormalExit) ran.exitCode = -1;
    return ran;
}

// The writer's image of ID 0 "Hello", one string block. The offsets the damage below goes to:
//   0x03C e_lfanew, 0x040 "PE\0\0", 0x044 machine and section count, 0x054 optional header size,
//   0x058 optional header, 0x0D8 resource table RVA, 0x148 section header (0x150 its virtual
//   size, 0x15C its file offset), 0x200 root directory (0x210 its RT_STRING entry), 0x218 block
//   directory (0x228 block 1), 0x230 language directory (0x240 its entry), 0x248 data entry
//   (RVA, size), 0x258 the block's texts.
QByteArray helloImage() {
    return languagePackImage({{0, QStringLiteral("Hello")}});
}

quint32 u32At(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// The blanks a text begins and ends with.
std::pair<qsizetype, qsizetype> outerBlanks(const QString& text) {
    const qsizetype before = text.size() - QString(text).remove(QRegularExpression("^ +")).size();
    return {before, text.size() - QString(text).remove(QRegularExpression(" +$")).size()};
}

}  // namespace

class LanguagePackTest : public QObject {
    Q_OBJECT

private slots:
    void readsAPackTheGnuToolchainBuilt_data() {
        QTest::addColumn<QString>("format");
        QTest::newRow("PE32+") << QString();
        QTest::newRow("PE32") << QStringLiteral("pei-i386");
    }
    void readsAPackTheGnuToolchainBuilt() {
        QFETCH(QString, format);
        const QString prefix = QStringLiteral("x86_64-w64-mingw32-");
        for (const char* tool : {"windres", "ld", "objcopy"}) {
            if (QStandardPaths::findExecutable(prefix + tool).isEmpty())
                QSKIP("binutils-mingw-w64-x86-64 is not installed (scripts/install-deps --test)");
        }
        QTemporaryDir dir;
        QVERIFY(
            writeFile(dir.filePath("pack.rc"), QString::fromUtf8(kResourceScript).arg(longText()).toUtf8()));
        // windres' own preprocessor would be the MinGW gcc, which binutils alone lacks; the
        // script needs none, so cat passes it through. Code page 65001 reads it as UTF-8.
        QList<QStringList> steps = {{"windres", "--preprocessor=cat", "-c", "65001", "-O", "coff",
                                     dir.filePath("pack.rc"), "-o", dir.filePath("pack.res")},
                                    {"ld", "--dll", "-e", "0", "--subsystem", "windows", "-o",
                                     dir.filePath("pack.dll"), dir.filePath("pack.res")}};
        if (!format.isEmpty()) steps.append({"objcopy", "-O", format, dir.filePath("pack.dll")});
        for (QStringList step : steps) {
            const ProcessOutcome ran = runProcess(prefix + step.takeFirst(), step);
            QVERIFY2(ran.exitStatus == QProcess::NormalExit && ran.exitCode == 0, qPrintable(ran.err));
        }
        const auto loaded = loadLanguagePack(dir.filePath("pack.dll"));
        QVERIFY(loaded);
        const QString difference = firstDifference(*loaded, sampleTexts());
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void writerMakesWhatTheReaderReadsOrRefuses_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("written");
        QTest::newRow("the longest text at the last ID") << 65535 << 65535 << true;
        QTest::newRow("an empty text reads as missing") << 2 << 0 << true;
        QTest::newRow("a negative ID") << -1 << 3 << false;
        QTest::newRow("an ID past 65535") << 65536 << 3 << false;
        QTest::newRow("a text of 65536 code units") << 7 << 65536 << false;
    }
    void writerMakesWhatTheReaderReadsOrRefuses() {
        QFETCH(int, id);
        QFETCH(int, length);
        QFETCH(bool, written);
        QMap<int, QString> texts = sampleTexts();
        texts.insert(id, QString(length, u'z'));
        const QByteArray image = brindle::languagePackImage(texts);
        QCOMPARE(!image.isEmpty(), written);
        if (!written) return;
        if (length == 0) texts.remove(id);
        const auto loaded = brindle::loadLanguagePackFromBytes(image);
        QVERIFY(loaded);
        const QString difference = firstDifference(*loaded, texts);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void packCommandMakesWhatDumpGivesBack_data() {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QByteArray>("dump");
        const QByteArray escapes =
            "0\t Build\n15\ttab\\there\\nnewline \\\\ \"quoted\"\n17\t日本語 𝄞\n65535\tlast\n";
        QTest::newRow("every kind of text, byte for byte") << escapes << escapes;
        QTest::newRow("comments, blank lines and line-end bytes left out")
            << QByteArray(
                   "\xEF\xBB\xBF# made by hand\r\n\r\n7\t trailing blanks  \r\n   \n#3\tnot a text\n2\tTwo")
            << QByteArray("2\tTwo\n7\t trailing blanks  \n");
    }
    void packCommandMakesWhatDumpGivesBack() {
        QFETCH(QByteArray, table);
        QFETCH(QByteArray, dump);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("table.txt"), table));
        const ProcessOutcome made = pack({"make", dir.filePath("table.txt"), dir.filePath("Sample_DEU.dll")});
        QVERIFY2(made.exitCode == 0, qPrintable(made.err));
        const ProcessOutcome dumped = pack({"dump", dir.filePath("Sample_DEU.dll")});
        QCOMPARE(dumped.exitCode, 0);
        QCOMPARE(dumped.out.toUtf8(), dump);
        QCOMPARE(pack({"dump", dir.filePath("table.txt")}).exitCode, 1);  // a table is no pack
    }

    void packCommandRefusesABadLineByItsNumber_data() {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<int>("line");
        QTest::newRow("no tab") << QByteArray("1\tOne\n2 Two\n") << 2;
        QTest::newRow("a signed ID") << QByteArray("# signs\n+1\tOne\n") << 2;
        QTest::newRow("an ID past 65535") << QByteArray("65536\tOne\n") << 1;
        QTest::newRow("an ID given twice") << QByteArray("5\tA\n\n5\tB\n") << 3;
        QTest::newRow("an unknown escape") << QByteArray("1\ta\\qb\n") << 1;
        QTest::newRow("a backslash at the end") << QByteArray("1\tOne\n2\tab\\\n") << 2;
        QTest::newRow("bytes that are no UTF-8") << QByteArray("1\tok\n2\t\xC3\x28\n") << 2;
        QTest::newRow("a text of 65536 code units") << "1\t" + QByteArray(65536, 'a') << 1;
        QTest::newRow("an empty text") << QByteArray("1\tOne\n# to do\n30\t\n") << 3;
    }
    void packCommandRefusesABadLineByItsNumber() {
        QFETCH(QByteArray, table);
        QFETCH(int, line);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("table.txt"), table));
        const ProcessOutcome ran = pack({"make", dir.filePath("table.txt"), dir.filePath("out.dll")});
        QCOMPARE(ran.exitCode, 1);
        QVERIFY2(ran.err.contains("table.txt:" + QString::number(line) + ": "), qPrintable(ran.err));
        QVERIFY(!QFile::exists(dir.filePath("out.dll")));
    }

    // Sparse: only the size counts. The other kinds of file are refused by the one reader all
    // host and pack files go through.
    void packCommandRefusesATableOver64MiBAtOnce() {
        QTemporaryDir dir;
        QFile table(dir.filePath("table.txt"));
        QVERIFY(table.open(QIODevice::WriteOnly) && table.resize(64 * 1024 * 1024 + 1));
        const ProcessOutcome ran = pack({"make", table.fileName(), dir.filePath("out.dll")}, 10000);
        QCOMPARE(ran.exitCode, 1);
        QVERIFY2(ran.err.contains("table.txt is larger than 64 MiB (67108865 bytes)"), qPrintable(ran.err));
        QVERIFY(!QFile::exists(dir.filePath("out.dll")));
    }

    void refusesAPackDamagedInOnePlace_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<uint>("was");
        QTest::addColumn<uint>("becomes");
        QTest::newRow("no PE signature") << 0x40 << 0x4550u << 0x4551u;
        QTest::newRow("resource table RVA past the end") << 0xD8 << 0x1000u << 0x100000u;
        QTest::newRow("section data past the end") << 0x15C << 0x200u << 0x10000u;
        QTest::newRow("block directory listing itself") << 0x22C << 0x80000030u << 0x80000018u;
        QTest::newRow("language entry leading to a directory") << 0x244 << 0x48u << 0x80000048u;
        QTest::newRow("data entry past the section") << 0x244 << 0x48u << 0x7FFF0000u;
        QTest::newRow("data size past the end") << 0x24C << 0x2Au << 0x7FFFFFFFu;
        QTest::newRow("text length past its block") << 0x258 << 0x480005u << 0x48FFFFu;
    }
    void refusesAPackDamagedInOnePlace() {
        QFETCH(int, offset);
        QFETCH(uint, was);
        QFETCH(uint, becomes);
        QByteArray image = helloImage();
        QVERIFY(loadLanguagePackFromBytes(image));
        QCOMPARE(u32At(image, offset), was);
        qToLittleEndian<quint32>(becomes, image.data() + offset);
        QVERIFY(!loadLanguagePackFromBytes(image));
    }

    void refusesBlocksThatShareMoreTextThanTheFileHolds() {
        QMap<int, QString> texts;
        for (int block = 0; block < 4096; ++block) texts.insert(block * 16, QStringLiteral("x"));
        texts[0] = QString(60000, QLatin1Char('L'));
        QByteArray image = languagePackImage(texts);
        QVERIFY(loadLanguagePackFromBytes(image));
        // Every block's data entry made the first one's, so that block by block the reading would
        // come to 4096 times the long text.
        const auto dataEntryOf = [&image](quint32 block) {
            const quint32 languages = u32At(image, 0x200 + 0x28 + 8 * block + 4) & 0x7FFFFFFFu;
            return 0x200 + u32At(image, 0x200 + languages + 20);
        };
        const QByteArray first = image.mid(dataEntryOf(0), 8);
        for (quint32 block = 1; block < 4096; ++block) image.replace(dataEntryOf(block), 8, first);
        QVERIFY(!loadLanguagePackFromBytes(image));
    }

    void refusesWhatIsNoPackFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("isPack");
        QTest::newRow("a missing file") << "missing" << QByteArray() << false;
        QTest::newRow("a DOS header alone") << QString("file") << "MZ" + QByteArray(62, '\0') << false;
        QTest::newRow("a pack grown to 16 MiB") << "16 MiB" << helloImage() << true;
        QTest::newRow("a pack grown past 16 MiB") << "16 MiB and a byte" << helloImage() << false;
    }
    void refusesWhatIsNoPackFile() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, content);
        QFETCH(bool, isPack);
        QTemporaryDir dir;
        const QString path = dir.filePath("Brindle_DEU.dll");
        if (kind != "missing") QVERIFY(writeFile(path, content));
        if (kind.startsWith("16 MiB"))
            QVERIFY(QFile::resize(path, 16 * 1024 * 1024 + (kind.endsWith("byte") ? 1 : 0)));
        QCOMPARE(loadLanguagePack(path) != nullptr, isPack);
    }

    void shippedPacksHoldEveryBuiltInText_data() {
        QTest::addColumn<QString>("code");
        QTest::newRow("English") << "ENU";
        QTest::newRow("German") << "DEU";
        QTest::newRow("French") << "FRA";
    }
    void shippedPacksHoldEveryBuiltInText() {
        QFETCH(QString, code);
        const QString path = qEnvironmentVariable("BRINDLE_BIN_DIR") + "/Brindle_" + code + ".dll";
        const auto pack = loadLanguagePack(path);
        QVERIFY2(pack, qPrintable(path + " is missing or no pack"));
        for (int id = 0; id <= 0xFFFF; ++id) {
            const std::optional<QString> english = brindle::builtInString(id);
            const std::optional<QString> text = pack->text(id);
            const QByteArray where = "ID " + QByteArray::number(id);
            if (!english) {
                QVERIFY2(!text, where + " is in the pack but not in the built-in table");
                continue;
            }
            QVERIFY2(text && !text->isEmpty(), where + " is missing");
            if (code == "ENU") QCOMPARE(*text, *english);
            // Some texts are joined to others, so their outer blanks must stay as they are.
            QVERIFY2(outerBlanks(*text) == outerBlanks(*english), where + ": outer blanks changed");
        }
    }
};

QTEST_GUILESS_MAIN(LanguagePackTest)
#include "test_language_pack.moc"
