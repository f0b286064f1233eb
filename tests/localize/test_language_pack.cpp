#include <sys/stat.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "localize/language_pack.h"
#include "localize/language_pack_writer.h"

using brindle::languagePackImage;
using brindle::loadLanguagePack;
using brindle::loadLanguagePackFromBytes;

namespace {

QString longText() {
    return QStringLiteral("0123456789abcdef").repeated(200);
}

// Texts in six string blocks, the first and the last of them included. The script below gives
// these same texts; its ID 2 is empty, which reads as missing, and ID 100 is held in German
// and English, German listed first.
QMap<int, QString> sampleTexts() {
    return {
        {0, QStringLiteral(" Build")},
        {1, QStringLiteral("Größe")},
        {15, QStringLiteral("tab\there\nnewline \\ backslash \"quoted\"")},
        {16, QStringLiteral("élément")},
        {17, QStringLiteral("日本語 𝄞")},
        {40, longText()},
        {100, QStringLiteral("Deutsch")},
        {4000, QStringLiteral("last block")},
        {65535, QStringLiteral("the very last")},
    };
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

// The sample table as brindle-pack writes it.
QByteArray sampleTable() {
    return "0\t Build\n"
           "1\tGröße\n"
           "15\ttab\\there\\nnewline \\\\ backslash \"quoted\"\n"
           "16\télément\n"
           "17\t日本語 𝄞\n"
           "40\t" +
           longText().toUtf8() +
           "\n"
           "100\tDeutsch\n"
           "4000\tlast block\n"
           "65535\tthe very last\n";
}

QString describe(const std::optional<QString>& text) {
    return text ? QLatin1Char('"') + text->left(40) + QLatin1Char('"') : QStringLiteral("nothing");
}

// The first ID whose text differs from `expected`, described; empty when all 65536 agree.
QString firstDifference(const brindle::StringSource& pack, const QMap<int, QString>& expected) {
    for (int id = 0; id <= 0xFFFF; ++id) {
        const std::optional<QString> wanted =
            expected.contains(id) ? std::optional<QString>(expected[id]) : std::nullopt;
        if (pack.text(id) != wanted)
            return QStringLiteral("ID %1 is %2, not %3")
                .arg(id)
                .arg(describe(pack.text(id)), describe(wanted));
    }
    return {};
}

QString binDir() {
    const QString dir = qEnvironmentVariable("BRINDLE_BIN_DIR");
    return dir.isEmpty() ? QCoreApplication::applicationDirPath() : dir;
}

struct Ran {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Exit code -1 when the program crashed or did not end within `timeoutMs`.
Ran run(const QString& program, const QStringList& arguments, int timeoutMs = 60000) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return {-1, {}, process.readAllStandardError()};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

Ran pack(const QStringList& arguments, int timeoutMs = 60000) {
    return run(binDir() + QStringLiteral("/brindle-pack"), arguments, timeoutMs);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
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
            if (QStandardPaths::findExecutable(prefix + QLatin1StringView(tool)).isEmpty())
                QSKIP(qPrintable(
                    prefix + QLatin1StringView(tool) +
                    " is not installed (Debian's binutils-mingw-w64-x86-64; scripts/install-deps --test)"));
        }
        QTemporaryDir dir;
        QVERIFY(
            writeFile(dir.filePath("pack.rc"), QString::fromUtf8(kResourceScript).arg(longText()).toUtf8()));
        // windres' own preprocessor would be the MinGW gcc, which binutils alone lacks; the
        // script needs none, so cat passes it through. Code page 65001 reads it as UTF-8.
        Ran ran = run(prefix + "windres", {"--preprocessor=cat", "-c", "65001", "-O", "coff",
                                           dir.filePath("pack.rc"), "-o", dir.filePath("pack.res")});
        QVERIFY2(ran.exitCode == 0, ran.err.constData());
        ran = run(prefix + "ld", {"--dll", "-e", "0", "--subsystem", "windows", "-o",
                                  dir.filePath("pack.dll"), dir.filePath("pack.res")});
        QVERIFY2(ran.exitCode == 0, ran.err.constData());
        if (!format.isEmpty()) {
            ran = run(prefix + "objcopy", {"-O", format, dir.filePath("pack.dll")});
            QVERIFY2(ran.exitCode == 0, ran.err.constData());
        }

        const auto pack = loadLanguagePack(dir.filePath("pack.dll"));
        QVERIFY(pack);
        const QString difference = firstDifference(*pack, sampleTexts());
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void readsAPackTheWriterMade() {
        QMap<int, QString> texts = sampleTexts();
        texts.insert(2, QString());
        const auto pack = loadLanguagePackFromBytes(languagePackImage(texts));
        QVERIFY(pack);
        const QString difference = firstDifference(*pack, sampleTexts());
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void writerHoldsTheLongestTextAtTheLastId() {
        const QMap<int, QString> texts = {{65535, QString(65535, QLatin1Char('z'))}};
        const auto pack = loadLanguagePackFromBytes(languagePackImage(texts));
        QVERIFY(pack);
        QCOMPARE(pack->text(65535), texts[65535]);
    }

    void writerRefusesWhatAPackCannotHold_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("length");
        QTest::newRow("a negative ID") << -1 << 3;
        QTest::newRow("an ID past 65535") << 65536 << 3;
        QTest::newRow("a text of 65536 code units") << 7 << 65536;
    }
    void writerRefusesWhatAPackCannotHold() {
        QFETCH(int, id);
        QFETCH(int, length);
        QVERIFY(languagePackImage({{1, QStringLiteral("fine")}, {id, QString(length, QLatin1Char('x'))}})
                    .isEmpty());
    }

    void packCommandMakesWhatDumpGivesBackByteForByte() {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("table.txt"), sampleTable()));
        Ran ran = pack({"make", dir.filePath("table.txt"), dir.filePath("Sample_DEU.dll")});
        QVERIFY2(ran.exitCode == 0, ran.err.constData());
        const auto loaded = loadLanguagePack(dir.filePath("Sample_DEU.dll"));
        QVERIFY(loaded);
        const QString difference = firstDifference(*loaded, sampleTexts());
        QVERIFY2(difference.isEmpty(), qPrintable(difference));

        ran = pack({"dump", dir.filePath("Sample_DEU.dll")});
        QCOMPARE(ran.exitCode, 0);
        QCOMPARE(ran.out, sampleTable());
    }

    void packCommandLeavesOutCommentsBlankLinesAndLineEndBytes() {
        QTemporaryDir dir;
        const QByteArray table =
            "\xEF\xBB\xBF# made by hand\r\n\r\n7\t trailing blanks  \r\n   \n#3\tnot a text\n2\tTwo";
        QVERIFY(writeFile(dir.filePath("table.txt"), table));
        QCOMPARE(pack({"make", dir.filePath("table.txt"), dir.filePath("out.dll")}).exitCode, 0);
        QCOMPARE(pack({"dump", dir.filePath("out.dll")}).out, QByteArray("2\tTwo\n7\t trailing blanks  \n"));
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

    void packCommandDumpRefusesAFileThatIsNoPack() {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("table.txt"), sampleTable()));
        const Ran ran = pack({"dump", dir.filePath("table.txt")});
        QCOMPARE(ran.exitCode, 1);
        QVERIFY(ran.out.isEmpty());
        QVERIFY(!ran.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(LanguagePackTest)
#include "test_language_pack.moc"
