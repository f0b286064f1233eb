#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/registry_file.h"
#include "support/files.h"

using brindle::RegistryFile;
using brindle::Result;

namespace {

constexpr char kVersion5[] = "Windows Registry Editor Version 5.00\r\n\r\n";

QString shown(const brindle::RegistryValue& value) {
    const bool binary = value.data.typeId() == QMetaType::QByteArray;
    return QStringLiteral("%1:%2")
        .arg(value.type)
        .arg(binary ? QString::fromLatin1(value.data.toByteArray().toHex(',')) : value.data.toString());
}

// The load failure as text for a test message; QVERIFY2 builds its message even on success.
QByteArray failure(const Result<RegistryFile>& loaded) {
    return loaded.ok() ? QByteArray() : loaded.error().message.toUtf8();
}

}  // namespace

class RegistryFileTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("registry.reg")); }

    // Writes the bytes as the host's registry.reg and loads it back; "(no file)" loads none.
    Result<RegistryFile> loadBytes(const QByteArray& bytes) {
        QFile::remove(path());
        if (bytes != "(no file)" && !brindle::testing::writeFile(path(), bytes))
            return brindle::Error{QStringLiteral("test could not write %1").arg(path())};
        return RegistryFile::load(path());
    }

private slots:
    // What a look-up of the key and value name gives: "TYPE:DATA" (binary data in hex),
    // "(no key)" or "(no value)".
    void readsWhatTheFileHolds_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("found");
        const auto file = [](const char* tag, const QByteArray& bytes, const char* key, const char* name,
                             const char* found) { QTest::newRow(tag) << bytes << key << name << found; };
        const auto under = [&](const char* tag, const QString& body, const char* key, const char* name,
                               const char* found) { file(tag, kVersion5 + body.toUtf8(), key, name, found); };
        const QString greeting =
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvern]\r\n\"Greeting\"=\"Grüße aus Köln\"\r\n";
        const QString version5 = QString::fromLatin1(kVersion5) + greeting;
        const auto greets = [&](const char* tag, const QByteArray& bytes) {
            file(tag, bytes, "SOFTWARE\\Halvern", "Greeting", "1:Grüße aus Köln");
        };
        greets("UTF-8", version5.toUtf8());
        greets("UTF-8 with BOM", "\xEF\xBB\xBF" + version5.toUtf8());
        greets("REGEDIT4", ("REGEDIT4\r\n\r\n" + greeting).toUtf8());
        greets("LF line ends", version5.toUtf8().replace("\r\n", "\n"));

        const QString a = "[HKEY_LOCAL_MACHINE\\A]\r\n";
        under("escaped text", a + "\"Say \\\"hi\\\"\"=\"C:\\\\Halvern\\\\ \\\"q\\\"\"", "A", "say \"HI\"",
              "1:C:\\Halvern\\ \"q\"");
        under("the default value", a + "@=\"the default\"", "A", "", "1:the default");
        under("dword, upper case, short", a + "\"N\"=dword:1F", "A", "N", "4:31");
        under("dword sign bit", a + "\"N\"=dword:80000000", "A", "N", "4:-2147483648");
        under("hex over two lines", a + "\"N\"=hex:01,02,\\\r\n  03,ff", "A", "N", "3:01,02,03,ff");
        under("hex(2) as text", a + "\"N\"=hex(2):25,00,50,00,41,00,\\\r\n  54,00,48,00,25,00,00,00", "A",
              "N", "2:%PATH%");
        under("hex(7) as bytes", a + "\"N\"=hex(7):61,00,00,00", "A", "N", "7:61,00,00,00");
        under("hex(4) as a number", a + "\"N\"=hex(4):7b,00,00,00", "A", "N", "4:123");
        under("empty hex, a value after", a + "\"N\"=hex:\r\n\"M\"=\"x\"", "A", "M", "1:x");

        const QString torvane = "[HKLM\\SOFTWARE\\Torvane\\]\r\n\"Version Number\"=\"3.1\"\r\n";
        under("two trailing backslashes", torvane, "Software\\Torvane\\\\", "Version Number", "1:3.1");
        under("a prefix of a key", torvane, "SOFT", "", "(no key)");
        under("an ancestor of a key", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B]\r\n", "SOFTWARE\\A", "",
              "(no value)");
        under("another root", "[HKEY_CURRENT_USER\\SOFTWARE\\A]\r\n\"N\"=\"x\"\r\n", "SOFTWARE\\A", "N",
              "(no key)");
        const QString deleting =
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"Kept\"=\"1\"\r\n\"Gone\"=\"2\"\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B\\C]\r\n\"N\"=\"3\"\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\AB]\r\n\"N\"=\"4\"\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"gone\"=-\r\n"
            "[-HKEY_LOCAL_MACHINE\\software\\a\\b]\r\n\"Ignored\"=\"under a deleted key\"\r\n";
        under("a value kept beside a deleted one", deleting, "SOFTWARE\\A", "Kept", "1:1");
        under("a deleted value", deleting, "SOFTWARE\\A", "Gone", "(no value)");
        under("a deleted key", deleting, "SOFTWARE\\A\\B", "Ignored", "(no key)");
        under("a subkey of a deleted key", deleting, "SOFTWARE\\A\\B\\C", "N", "(no key)");
        under("a key named like a deleted one", deleting, "SOFTWARE\\AB", "N", "1:4");
    }
    void readsWhatTheFileHolds() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, key);
        QFETCH(QString, name);
        QFETCH(QString, found);
        auto registry = loadBytes(bytes);
        QVERIFY2(registry.ok(), failure(registry).constData());
        const auto value = registry->value(key, name);
        QCOMPARE(!registry->hasKey(key) ? "(no key)" : value ? shown(*value) : "(no value)", found);
    }

    void rejectsMalformedFilesNamingTheLine_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("explanation");
        const auto row = [](const char* tag, const QByteArray& bytes, int line, const char* explanation) {
            QTest::newRow(tag) << bytes << line << QString(explanation);
        };
        const QByteArray head = kVersion5 + QByteArray("[HKEY_LOCAL_MACHINE\\A]\r\n");  // lines 1-3
        row("no file", "(no file)", 0, "could not be opened");
        row("empty file", "", 1, "empty");
        row("no header", "[HKEY_LOCAL_MACHINE\\A]\r\n", 1, "starts with");
        row("UTF-16 without BOM",
            QByteArray("R\0E\0G\0E\0D\0I\0T\0"
                       "4\0",
                       16),
            1, "starts with");
        row("unterminated name", head + "\"Name\r\n", 4, "closing quote");
        row("text after closing quote", head + "\"Name\"=\"x\" y\r\n", 4, "after the closing");
        row("unknown escape", head + "\"Path\"=\"C:\\Halvern\"\r\n", 4, "escape");
        row("missing equals", head + "\"Name\" \"x\"\r\n", 4, "no \"=\"");
        row("bad dword digits", head + "\"N\"=dword:0000001g\r\n", 4, "dword");
        row("bad hex byte", head + "\"B\"=hex:01,2g\r\n", 4, "hexadecimal byte");
        row("hex goes past end", head + "\"B\"=hex:01,\\", 4, "end of the file");
        row("bad hex type", head + "\"B\"=hex(zz):01\r\n", 4, "value type");
        row("short hex dword", head + "\"B\"=hex(4):01,02,03\r\n", 4, "4 bytes");
        row("odd UTF-16 text", head + "\"B\"=hex(2):41,00,42\r\n", 4, "odd");
        row("unknown data", head + "\"N\"=qword:1\r\n", 4, "neither");
        row("garbage line", head + "; fine\r\nNot a registry line\r\n", 5, "neither a key");
        row("key without bracket", head + "[HKEY_LOCAL_MACHINE\\B\r\n", 4, "\"]\"");
        row("unknown root", head + "[HKEY_ELSEWHERE\\B]\r\n", 4, "root key");
        row("empty key name", head + "[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n", 4, "empty key name");
        row("value before key", kVersion5 + QByteArray("\"N\"=\"x\"\r\n"), 3, "first key");
        row("invalid UTF-8", kVersion5 + QByteArray("[HKEY_LOCAL_MACHINE\\\xC3\x28]\r\n"), 0,
            "not valid UTF-8");
    }
    void rejectsMalformedFilesNamingTheLine() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        QFETCH(QString, explanation);
        auto registry = loadBytes(bytes);
        QVERIFY(!registry.ok());
        const QString message = registry.error().message;
        QVERIFY2(message.contains(path()), qPrintable(message));
        if (line > 0) QVERIFY2(message.contains(QStringLiteral("line %1:").arg(line)), qPrintable(message));
        QVERIFY2(message.contains(explanation), qPrintable(message));
    }
};

QTEST_GUILESS_MAIN(RegistryFileTest)
#include "test_registry_file.moc"
