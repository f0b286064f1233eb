#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/registry_file.h"

using brindle::RegistryFile;
using brindle::Result;

namespace {

constexpr char kVersion5[] = "Windows Registry Editor Version 5.00\r\n\r\n";

QByteArray utf16LeWithBom(const QString& text) {
    QByteArray bytes("\xFF\xFE", 2);
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
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

    // Writes the bytes as the host's registry.reg and loads it back.
    Result<RegistryFile> loadBytes(const QByteArray& bytes) {
        const QString path = m_dir.filePath(QStringLiteral("registry.reg"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
            return brindle::Error{QStringLiteral("test could not write %1").arg(path)};
        }
        file.close();
        return RegistryFile::load(path);
    }

    Result<RegistryFile> loadVersion5(const QString& body) { return loadBytes(kVersion5 + body.toUtf8()); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void readsEveryHeaderAndEncoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QString body = QStringLiteral(
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestrom Systems\\Kestrom Halvern]\r\n"
            "\"Greeting\"=\"Grüße aus Köln\"\r\n"
            "\"MajorVersion\"=dword:00000004\r\n");
        const QString version5 = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n") + body;
        QTest::addRow("version 5, UTF-8") << version5.toUtf8();
        QTest::addRow("version 5, UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") + version5.toUtf8();
        QTest::addRow("version 5, UTF-16LE with BOM") << utf16LeWithBom(version5);
        QTest::addRow("REGEDIT4, UTF-8") << QStringLiteral("REGEDIT4\r\n\r\n").append(body).toUtf8();
        QTest::addRow("LF line ends") << version5.toUtf8().replace("\r\n", "\n");
    }
    void readsEveryHeaderAndEncoding() {
        QFETCH(QByteArray, bytes);
        auto registry = loadBytes(bytes);
        QVERIFY2(registry.ok(), failure(registry).constData());
        const QString key = QStringLiteral("SOFTWARE\\Kestrom Systems\\Kestrom Halvern");
        QVERIFY(registry->hasKey(key));
        const auto greeting = registry->value(key, QStringLiteral("Greeting"));
        QVERIFY(greeting);
        QCOMPARE(greeting->type, 1);
        QCOMPARE(greeting->data.toString(), QStringLiteral("Grüße aus Köln"));
        const auto major = registry->value(key, QStringLiteral("MajorVersion"));
        QVERIFY(major);
        QCOMPARE(major->type, 4);
        QCOMPARE(major->data, QVariant::fromValue<qint32>(4));
    }

    void unescapesBackslashesAndQuotes() {
        auto registry =
            loadVersion5(QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Torvane\\Ostrum\\1.0]\r\n"
                                        "\"Root Path\"=\"C:\\\\Halvern\\\\\"\r\n"
                                        "\"Say \\\"hi\\\"\"=\"a \\\"quoted\\\" word\"\r\n"));
        QVERIFY2(registry.ok(), failure(registry).constData());
        const QString key = QStringLiteral("SOFTWARE\\Torvane\\Ostrum\\1.0");
        QCOMPARE(registry->value(key, QStringLiteral("Root Path"))->data.toString(),
                 QStringLiteral("C:\\Halvern\\"));
        QCOMPARE(registry->value(key, QStringLiteral("Say \"hi\""))->data.toString(),
                 QStringLiteral("a \"quoted\" word"));
    }

    void comparesKeysAndValueNamesWithoutCase_data() {
        QTest::addColumn<QString>("keyPath");
        QTest::addColumn<QString>("valueName");
        QTest::addRow("as written") << "SOFTWARE\\Torvane"
                                    << "Version Number";
        QTest::addRow("key in lower case") << "software\\torvane"
                                           << "Version Number";
        QTest::addRow("name in upper case") << "SOFTWARE\\Torvane"
                                            << "VERSION NUMBER";
        QTest::addRow("trailing backslash") << "Software\\Torvane\\"
                                            << "version number";
        QTest::addRow("two trailing backslashes") << "Software\\Torvane\\\\"
                                                  << "Version Number";
    }
    void comparesKeysAndValueNamesWithoutCase() {
        QFETCH(QString, keyPath);
        QFETCH(QString, valueName);
        auto registry = loadVersion5(
            QStringLiteral("[HKLM\\SOFTWARE\\Torvane\\]\r\n\"Version Number\"=dword:00030001\r\n"));
        QVERIFY2(registry.ok(), failure(registry).constData());
        QVERIFY(registry->hasKey(keyPath));
        const auto value = registry->value(keyPath, valueName);
        QVERIFY(value);
        QCOMPARE(value->data.toInt(), 0x30001);
    }

    void readsDwordsAsSigned32BitNumbers_data() {
        QTest::addColumn<QString>("digits");
        QTest::addColumn<qint32>("expected");
        QTest::addRow("small") << "0000001f" << 31;
        QTest::addRow("upper case, short") << "1F" << 31;
        QTest::addRow("largest positive") << "7fffffff" << 2147483647;
        QTest::addRow("sign bit") << "80000000" << qint32(-2147483647 - 1);
        QTest::addRow("all bits") << "ffffffff" << -1;
    }
    void readsDwordsAsSigned32BitNumbers() {
        QFETCH(QString, digits);
        QFETCH(qint32, expected);
        auto registry =
            loadVersion5(QStringLiteral("[HKEY_LOCAL_MACHINE\\A]\r\n\"N\"=dword:%1\r\n").arg(digits));
        QVERIFY2(registry.ok(), failure(registry).constData());
        const auto value = registry->value(QStringLiteral("A"), QStringLiteral("N"));
        QVERIFY(value);
        QCOMPARE(value->data.typeId(), QMetaType::Int);
        QCOMPARE(value->data.toInt(), expected);
    }

    void readsHexValuesOverContinuationLines() {
        auto registry =
            loadVersion5(QStringLiteral("[HKEY_LOCAL_MACHINE\\A]\r\n"
                                        "\"Bin\"=hex:01,02,\\\r\n"
                                        "  03,ff\r\n"
                                        "\"Expand\"=hex(2):25,00,50,00,41,00,\\\r\n"
                                        "  54,00,48,00,25,00,00,00\r\n"
                                        "\"Multi\"=hex(7):61,00,00,00,00,00\r\n"
                                        "\"Dword\"=hex(4):7b,00,00,00\r\n"
                                        "\"Empty\"=hex:\r\n"
                                        "\"After\"=\"still read\"\r\n"));
        QVERIFY2(registry.ok(), failure(registry).constData());
        const QString key = QStringLiteral("A");
        const auto bin = registry->value(key, QStringLiteral("Bin"));
        QCOMPARE(bin->type, 3);
        QCOMPARE(bin->data.toByteArray(), QByteArray("\x01\x02\x03\xff", 4));
        const auto expand = registry->value(key, QStringLiteral("Expand"));
        QCOMPARE(expand->type, 2);
        QCOMPARE(expand->data.toString(), QStringLiteral("%PATH%"));
        const auto multi = registry->value(key, QStringLiteral("Multi"));
        QCOMPARE(multi->type, 7);
        QCOMPARE(multi->data.toByteArray(), QByteArray("a\0\0\0\0\0", 6));
        const auto dword = registry->value(key, QStringLiteral("Dword"));
        QCOMPARE(dword->type, 4);
        QCOMPARE(dword->data.toInt(), 123);
        QCOMPARE(registry->value(key, QStringLiteral("Empty"))->data.toByteArray(), QByteArray());
        QCOMPARE(registry->value(key, QStringLiteral("After"))->data.toString(),
                 QStringLiteral("still read"));
    }

    void readsTheDefaultValueUnderTheEmptyName() {
        auto registry = loadVersion5(QStringLiteral("[HKEY_LOCAL_MACHINE\\A]\r\n@=\"the default\"\r\n"));
        QVERIFY2(registry.ok(), failure(registry).constData());
        QCOMPARE(registry->value(QStringLiteral("A"), QString())->data.toString(),
                 QStringLiteral("the default"));
    }

    void ancestorsOfWrittenKeysExist() {
        auto registry = loadVersion5(QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B]\r\n"));
        QVERIFY2(registry.ok(), failure(registry).constData());
        QVERIFY(registry->hasKey(QStringLiteral("SOFTWARE")));
        QVERIFY(registry->hasKey(QStringLiteral("SOFTWARE\\A")));
        QVERIFY(registry->hasKey(QStringLiteral("SOFTWARE\\A\\B")));
        QVERIFY(!registry->hasKey(QStringLiteral("SOFTWARE\\A\\B\\C")));
        QVERIFY(registry->hasKey(QStringLiteral("SOFTWARE\\A\\")));
        QVERIFY(!registry->hasKey(QStringLiteral("SOFT")));
    }

    void keysOfOtherRootsStayOutOfLocalMachine() {
        auto registry = loadVersion5(QStringLiteral("[HKEY_CURRENT_USER\\SOFTWARE\\A]\r\n\"N\"=\"x\"\r\n"));
        QVERIFY2(registry.ok(), failure(registry).constData());
        QVERIFY(!registry->hasKey(QStringLiteral("SOFTWARE\\A")));
        QVERIFY(!registry->value(QStringLiteral("SOFTWARE\\A"), QStringLiteral("N")));
    }

    void deletesKeysWithTheirSubkeysAndValues() {
        auto registry = loadVersion5(QStringLiteral(
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"Kept\"=\"1\"\r\n\"Gone\"=\"2\"\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B]\r\n\"N\"=\"3\"\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B\\C]\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\AB]\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"gone\"=-\r\n"
            "[-HKEY_LOCAL_MACHINE\\software\\a\\b]\r\n\"Ignored\"=\"under a deleted key\"\r\n"));
        QVERIFY2(registry.ok(), failure(registry).constData());
        QVERIFY(registry->hasKey(QStringLiteral("SOFTWARE\\A")));
        QVERIFY(registry->hasKey(QStringLiteral("SOFTWARE\\AB")));
        QVERIFY(!registry->hasKey(QStringLiteral("SOFTWARE\\A\\B")));
        QVERIFY(!registry->hasKey(QStringLiteral("SOFTWARE\\A\\B\\C")));
        QVERIFY(!registry->value(QStringLiteral("SOFTWARE\\A\\B"), QStringLiteral("N")));
        QVERIFY(!registry->value(QStringLiteral("SOFTWARE\\A\\B"), QStringLiteral("Ignored")));
        QVERIFY(!registry->value(QStringLiteral("SOFTWARE\\A"), QStringLiteral("Gone")));
        QCOMPARE(registry->value(QStringLiteral("SOFTWARE\\A"), QStringLiteral("Kept"))->data.toString(),
                 QStringLiteral("1"));
    }

    void missingKeysAndValuesGiveNothing() {
        auto registry = loadVersion5(QStringLiteral("[HKEY_LOCAL_MACHINE\\A]\r\n\"N\"=\"x\"\r\n"));
        QVERIFY2(registry.ok(), failure(registry).constData());
        QVERIFY(!registry->value(QStringLiteral("A"), QStringLiteral("M")));
        QVERIFY(!registry->value(QStringLiteral("B"), QStringLiteral("N")));
        QVERIFY(!RegistryFile().hasKey(QStringLiteral("A")));
    }

    void rejectsMalformedFilesNamingTheLine_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("explanation");
        const QByteArray head = kVersion5 + QByteArray("[HKEY_LOCAL_MACHINE\\A]\r\n");  // lines 1-3
        QTest::addRow("empty file") << QByteArray() << 1 << "empty";
        QTest::addRow("no header") << QByteArray("[HKEY_LOCAL_MACHINE\\A]\r\n") << 1 << "starts with";
        QTest::addRow("other version")
            << QByteArray("Windows Registry Editor Version 6.00\r\n") << 1 << "starts with";
        QTest::addRow("UTF-16 without BOM") << QByteArray(
                                                   "R\0E\0G\0E\0D\0I\0T\0"
                                                   "4\0",
                                                   16)
                                            << 1 << "starts with";
        QTest::addRow("unterminated name") << head + "\"Name\r\n" << 4 << "closing quote";
        QTest::addRow("unterminated text") << head + "\"Name\"=\"x\r\n" << 4 << "closing quote";
        QTest::addRow("text after closing quote") << head + "\"Name\"=\"x\" y\r\n"
                                                  << 4 << "after the closing";
        QTest::addRow("unknown escape") << head + "\"Path\"=\"C:\\Halvern\"\r\n" << 4 << "escape";
        QTest::addRow("missing equals") << head + "\"Name\" \"x\"\r\n" << 4 << "no \"=\"";
        QTest::addRow("bad dword digits") << head + "\"N\"=dword:0000001g\r\n" << 4 << "dword";
        QTest::addRow("dword too long") << head + "\"N\"=dword:000000001\r\n" << 4 << "dword";
        QTest::addRow("empty dword") << head + "\"N\"=dword:\r\n" << 4 << "dword";
        QTest::addRow("bad hex byte") << head + "\"B\"=hex:01,2g\r\n" << 4 << "hexadecimal byte";
        QTest::addRow("hex byte too wide") << head + "\"B\"=hex:01,\\\r\n 123\r\n" << 4 << "hexadecimal byte";
        QTest::addRow("hex goes past end") << head + "\"B\"=hex:01,\\" << 4 << "end of the file";
        QTest::addRow("bad hex type") << head + "\"B\"=hex(zz):01\r\n" << 4 << "value type";
        QTest::addRow("short hex dword") << head + "\"B\"=hex(4):01,02,03\r\n" << 4 << "4 bytes";
        QTest::addRow("odd UTF-16 text") << head + "\"B\"=hex(2):41,00,42\r\n" << 4 << "odd";
        QTest::addRow("unknown data") << head + "\"N\"=qword:1\r\n" << 4 << "neither";
        QTest::addRow("garbage line") << head + "; fine\r\nNot a registry line\r\n" << 5 << "neither a key";
        QTest::addRow("key without bracket") << head + "[HKEY_LOCAL_MACHINE\\B\r\n" << 4 << "\"]\"";
        QTest::addRow("unknown root") << head + "[HKEY_ELSEWHERE\\B]\r\n" << 4 << "root key";
        QTest::addRow("empty key name") << head + "[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n" << 4 << "empty key name";
        QTest::addRow("value before key") << kVersion5 + QByteArray("\"N\"=\"x\"\r\n") << 3 << "first key";
        QTest::addRow("invalid UTF-8")
            << kVersion5 + QByteArray("[HKEY_LOCAL_MACHINE\\\xC3\x28]\r\n") << 0 << "not valid UTF-8";
    }
    void rejectsMalformedFilesNamingTheLine() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        QFETCH(QString, explanation);
        auto registry = loadBytes(bytes);
        QVERIFY(!registry.ok());
        const QString message = registry.error().message;
        QVERIFY2(message.contains(m_dir.filePath(QStringLiteral("registry.reg"))), qPrintable(message));
        if (line > 0) QVERIFY2(message.contains(QStringLiteral("line %1:").arg(line)), qPrintable(message));
        QVERIFY2(message.contains(explanation), qPrintable(message));
    }

    void reportsAFileThatCannotBeOpened() {
        auto registry = RegistryFile::load(m_dir.filePath(QStringLiteral("absent.reg")));
        QVERIFY(!registry.ok());
        QVERIFY(registry.error().message.contains(QStringLiteral("absent.reg")));
    }
};

QTEST_GUILESS_MAIN(RegistryFileTest)
#include "test_registry_file.moc"
