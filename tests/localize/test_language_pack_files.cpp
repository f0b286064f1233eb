#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "localize/language_pack.h"
#include "localize/language_pack_writer.h"
#include "localize/string_table.h"
#include "support/files.h"

using brindle::languagePackImage;
using brindle::loadLanguagePack;
using brindle::loadLanguagePackFromBytes;
using brindle::testing::writeFile;

namespace {

// The writer's image of ID 0 "Hello", one string block. The offsets the damage below goes to:
//   0x03C e_lfanew, 0x040 "PE\0\0", 0x044 machine and section count, 0x054 optional header size,
//   0x058 optional header, 0x0D8 resource table RVA, 0x148 section header (0x150 its virtual
//   size, 0x15C its file offset), 0x200 root directory (0x210 its RT_STRING entry), 0x218 block
//   directory (0x228 block 1), 0x230 language directory (0x240 its entry), 0x248 data entry
//   (RVA, size), 0x258 the block's texts.
QByteArray helloImage() {
    return languagePackImage({{0, QStringLiteral("Hello")}});
}

QMap<int, QString> threeBlocks() {
    return {{0, QStringLiteral("Alpha")},
            {15, QStringLiteral("Ω omega")},
            {16, QStringLiteral("Größe")},
            {100, QStringLiteral(" Build")}};
}

quint32 u32At(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

QByteArray randomBytes(quint32 seed, qsizetype size) {
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char& byte : bytes) byte = char(random.bounded(256));
    return bytes;
}

qsizetype blanksBefore(const QString& text) {
    return std::find_if(text.begin(), text.end(), [](QChar c) { return c != u' '; }) - text.begin();
}

qsizetype blanksAfter(const QString& text) {
    return std::find_if(text.rbegin(), text.rend(), [](QChar c) { return c != u' '; }) - text.rbegin();
}

// Loads on a thread of its own, so that a load that blocks fails the test instead of hanging
// it; nothing when it has not returned within five seconds.
std::optional<bool> loadsInTime(const QString& path) {
    auto loaded = std::make_shared<std::promise<bool>>();
    std::future<bool> result = loaded->get_future();
    std::thread([loaded, path] { loaded->set_value(loadLanguagePack(path) != nullptr); }).detach();
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) return std::nullopt;
    return result.get();
}

}  // namespace

class LanguagePackFilesTest : public QObject {
    Q_OBJECT

private slots:
    void refusesAPackDamagedInOnePlace_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<uint>("was");
        QTest::addColumn<uint>("becomes");
        QTest::newRow("e_lfanew past the end") << 0x3C << 0x40u << 0x7FFFFFF0u;
        QTest::newRow("no PE signature") << 0x40 << 0x4550u << 0x4551u;
        QTest::newRow("section table past the end") << 0x44 << 0x18664u << 0xFFFF8664u;
        QTest::newRow("optional header past the end") << 0x54 << 0x200200F0u << 0x2002FFF0u;
        QTest::newRow("an optional header of neither kind") << 0x58 << 0x20Bu << 0x30Bu;
        QTest::newRow("resource table RVA past the end") << 0xD8 << 0x1000u << 0x100000u;
        QTest::newRow("resource table RVA in the headers") << 0xD8 << 0x1000u << 0x100u;
        QTest::newRow("section data past the end") << 0x15C << 0x200u << 0x10000u;
        QTest::newRow("RT_STRING entry leading to data") << 0x214 << 0x80000018u << 0x18u;
        QTest::newRow("block directory listing itself") << 0x22C << 0x80000030u << 0x80000018u;
        QTest::newRow("block directory listing the root") << 0x22C << 0x80000030u << 0x80000000u;
        QTest::newRow("block entry leading to data") << 0x22C << 0x80000030u << 0x30u;
        QTest::newRow("block entries past the section") << 0x224 << 0x10000u << 0xFFFF0000u;
        QTest::newRow("language directory listing itself") << 0x244 << 0x48u << 0x80000030u;
        QTest::newRow("language entry leading to a directory") << 0x244 << 0x48u << 0x80000048u;
        QTest::newRow("data entry past the section") << 0x244 << 0x48u << 0x7FFF0000u;
        QTest::newRow("data RVA past the end") << 0x248 << 0x1058u << 0xF00000u;
        QTest::newRow("data RVA in the headers") << 0x248 << 0x1058u << 0x10u;
        QTest::newRow("data size past the end") << 0x24C << 0x2Au << 0x7FFFFFFFu;
        QTest::newRow("data size past the section's content") << 0x24C << 0x2Au << 0x100u;
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

    void takesAnImageWithoutStringsForAnEmptyPack() {
        QByteArray image = helloImage();
        QCOMPARE(u32At(image, 0x210), 6u);
        qToLittleEndian<quint32>(3, image.data() + 0x210);  // RT_ICON instead
        const auto pack = loadLanguagePackFromBytes(image);
        QVERIFY(pack);
        QCOMPARE(pack->text(0), std::nullopt);
    }

    void readsATruncatedPackWholeOrNotAtAll() {
        const QByteArray image = languagePackImage(threeBlocks());
        // Behind the end of the resource data lies only the padding of the section.
        const qsizetype dataEnd = u32At(image, 0x15C) + u32At(image, 0x150);
        QVERIFY(dataEnd <= image.size());
        for (qsizetype length = 0; length <= image.size(); ++length) {
            const auto pack = loadLanguagePackFromBytes(QByteArray(image.constData(), length));
            QVERIFY2(bool(pack) == (length >= dataEnd), qPrintable(QString::number(length)));
            if (pack) QCOMPARE(pack->text(16), QStringLiteral("Größe"));
        }
    }

    void refusesWhatIsNoPackFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("isPack");
        QTest::newRow("a missing file") << "missing" << QByteArray() << false;
        QTest::newRow("a folder") << "folder" << QByteArray() << false;
        QTest::newRow("a named pipe") << "fifo" << QByteArray() << false;
        QTest::newRow("/dev/null") << "/dev/null" << QByteArray() << false;
        QTest::newRow("/dev/zero, which never ends") << "/dev/zero" << QByteArray() << false;
        QTest::newRow("an empty file") << "file" << QByteArray() << false;
        QTest::newRow("MZ alone") << "file" << QByteArray("MZ") << false;
        QTest::newRow("a DOS header alone") << "file"
                                            << "MZ" + QByteArray(62, '\0') << false;
        QTest::newRow("random bytes behind MZ") << "file"
                                                << "MZ" + randomBytes(2, 4094) << false;
        QTest::newRow("a text table") << "file" << QByteArray("0\tAbout\n1\tHelp\n") << false;
        QTest::newRow("a pack") << "file" << helloImage() << true;
        QTest::newRow("a symbolic link to a pack") << "link" << helloImage() << true;
        QTest::newRow("a pack grown to 16 MiB") << "16 MiB" << helloImage() << true;
        QTest::newRow("a pack grown past 16 MiB") << "16 MiB and a byte" << helloImage() << false;
    }
    void refusesWhatIsNoPackFile() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, content);
        QFETCH(bool, isPack);
        QTemporaryDir dir;
        QString path = dir.filePath("Brindle_DEU.dll");
        if (kind == "file" || kind.startsWith("16 MiB")) QVERIFY(writeFile(path, content));
        if (kind.startsWith("16 MiB"))
            QVERIFY(QFile::resize(path, 16 * 1024 * 1024 + (kind.endsWith("byte") ? 1 : 0)));
        if (kind == "folder") QVERIFY(QDir(dir.path()).mkdir("Brindle_DEU.dll"));
        if (kind == "fifo") QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        if (kind == "link") {
            QVERIFY(writeFile(dir.filePath("target.dll"), content));
            QVERIFY(QFile::link(dir.filePath("target.dll"), path));
        }
        if (kind.startsWith('/')) path = kind;

        const std::optional<bool> loaded = loadsInTime(path);
        QVERIFY2(loaded, "the load did not return within five seconds");
        QCOMPARE(*loaded, isPack);
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

        int texts = 0;
        for (int id = 0; id <= 0xFFFF; ++id) {
            const std::optional<QString> english = brindle::builtInString(id);
            const std::optional<QString> text = pack->text(id);
            const QByteArray where = "ID " + QByteArray::number(id);
            if (!english) {
                QVERIFY2(!text, where + " is in the pack but not in the built-in table");
                continue;
            }
            ++texts;
            QVERIFY2(text && !text->isEmpty(), where + " is missing");
            if (code == "ENU") QCOMPARE(*text, *english);
            // Some texts are joined to others, so their outer blanks must stay as they are.
            QVERIFY2(blanksBefore(*text) == blanksBefore(*english), where + ": blanks before");
            QVERIFY2(blanksAfter(*text) == blanksAfter(*english), where + ": blanks after");
        }
        QCOMPARE(texts, 101);
    }
};

QTEST_GUILESS_MAIN(LanguagePackFilesTest)
#include "test_language_pack_files.moc"
