#include <sys/stat.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "localize/language_pack.h"
#include "localize/language_pack_writer.h"
#include "support/files.h"

using brindle::loadLanguagePack;
using brindle::testing::writeFile;

namespace {

QString longText() {
    return QStringLiteral("0123456789abcdef").repeated(200);
}

// Texts in six string blocks, the first and the last of them included. The script below gives
// these same texts; its ID 2 is empty, which reads as missing, and ID 100 is held in German
// and English, German listed first.
QMap<int, QString> sampleTexts() {
    return {{0, QStringLiteral(" Build")},
            {1, QStringLiteral("Größe")},
            {15, QStringLiteral("tab\there\nnewline \\ backslash \"quoted\"")},
            {16, QStringLiteral("élément")},
            {17, QStringLiteral("日本語 𝄞")},
            {40, longText()},
            {100, QStringLiteral("Deutsch")},
            {4000, QStringLiteral("last block")},
            {65535, QStringLiteral("the very last")}};
}

const char kResourceScript[] = R"rc(STRINGTABLE
BEGIN
  0, " Build"
  1, "Größe"
  2, ""
  15, "tab\there\nnewline \\ backslash ""quoted"""
  16, "élément"
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

// The sample texts as a table for brindle-pack, as its dump writes them.
QByteArray sampleTable() {
    return "0\t Build\n1\tGröße\n15\ttab\\there\\nnewline \\\\ backslash \"quoted\"\n16\télément\n"
           "17\t日本語 𝄞\n40\t" +
           longText().toUtf8() + "\n100\tDeutsch\n4000\tlast block\n65535\tthe very last\n";
}

// The first ID whose text differs from `expected`, described; empty when all 65536 agree.
QString firstDifference(const brindle::StringSource& pack, const QMap<int, QString>& expected) {
    for (int id = 0; id <= 0xFFFF; ++id) {
        const auto wanted = expected.contains(id) ? std::optional(expected[id]) : std::nullopt;
        if (pack.text(id) != wanted)
            return QStringLiteral("ID %1 is %2").arg(id).arg(pack.text(id).value_or("nothing").left(40));
    }
    return {};
}

struct Ran {
    int exitCode = -1;  // also when the program crashed or did not end in time
    QByteArray out;
    QByteArray err;
};

Ran run(const QString& program, const QStringList& arguments, int timeoutMs = 60000) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return {-1, {}, process.readAllStandardError()};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

Ran pack(const QStringList& arguments, int timeoutMs = 60000) {
    return run(qEnvironmentVariable("BRINDLE_BIN_DIR") + "/brindle-pack", arguments, timeoutMs);
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
                QSKIP(qPrintable(prefix + tool +
                                 " is not installed (Debian's binutils-mingw-w64-x86-64; "
                                 "scripts/install-deps --test)"));
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
            const Ran ran = run(prefix + step.takeFirst(), step);
            QVERIFY2(ran.exitCode == 0, ran.err.constData());
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
        QTest::newRow("every kind of text, byte for byte") << sampleTable() << sampleTable();
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
        const Ran made = pack({"make", dir.filePath("table.txt"), dir.filePath("Sample_DEU.dll")});
        QVERIFY2(made.exitCode == 0, made.err.constData());
        const Ran dumped = pack({"dump", dir.filePath("Sample_DEU.dll")});
        QCOMPARE(dumped.exitCode, 0);
        QCOMPARE(dumped.out, dump);
        QCOMPARE(pack({"dump", dir.filePath("table.txt")}).exitCode, 1);  // a table is no pack
    }

    void packCommandRefusesABadLineByItsNumber_data() {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<int>("line");
        QTest::newRow("no tab") << QByteArray("1\tOne\n2 Two\n") << 2;
        QTest::newRow("an ID that is no number") << QByteArray("x1\tOne\n") << 1;
        QTest::newRow("a signed ID") << QByteArray("# signs\n+1\tOne\n") << 2;
        QTest::newRow("a negative ID") << QByteArray("-1\tOne\n") << 1;
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
        const Ran ran = pack({"make", dir.filePath("table.txt"), dir.filePath("out.dll")});
        QCOMPARE(ran.exitCode, 1);
        QVERIFY2(ran.err.contains("table.txt:" + QByteArray::number(line) + ": "), ran.err.constData());
        QVERIFY(!QFile::exists(dir.filePath("out.dll")));
    }

    void packCommandRefusesATableThatIsNoRegularFileAtOnce_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("a named pipe") << "fifo"
                                      << "table.txt is a named pipe, not a regular file";
        QTest::newRow("/dev/zero") << "/dev/zero"
                                   << "/dev/zero is a character device, not a regular file";
        QTest::newRow("a table over 64 MiB") << "large"
                                             << "table.txt is larger than 64 MiB (67108865 bytes)";
    }
    void packCommandRefusesATableThatIsNoRegularFileAtOnce() {
        QFETCH(QString, kind);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        QString table = dir.filePath("table.txt");
        if (kind == "fifo") QCOMPARE(::mkfifo(QFile::encodeName(table).constData(), 0600), 0);
        if (kind == "large") {
            QFile file(table);
            // Sparse: only the size counts.
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(64 * 1024 * 1024 + 1));
        }
        if (kind.startsWith('/')) table = kind;

        const Ran ran = pack({"make", table, dir.filePath("out.dll")}, 10000);
        QCOMPARE(ran.exitCode, 1);
        QVERIFY2(ran.err.contains(refusal.toUtf8()), ran.err.constData());
        QVERIFY(!QFile::exists(dir.filePath("out.dll")));
    }
};

QTEST_GUILESS_MAIN(LanguagePackTest)
#include "test_language_pack.moc"
