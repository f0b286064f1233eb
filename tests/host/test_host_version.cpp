#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "host/host_version.h"
#include "host/registry_api.h"
#include "platform/notifier.h"

using brindle::HostVersionInfo;
using brindle::RegistryFile;

namespace {

// Keeps every message the engine would have shown.
class RecordingNotifier : public brindle::Notifier {
public:
    void inform(const QString& text) override { messages.append(text); }
    bool confirm(const QString& text, Answers) override {
        messages.append(text);
        return false;
    }
    QStringList messages;
};

constexpr char kMakerKey[] = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestrom Systems\\Kestrom Halvern]\r\n";
constexpr char kFirstMakerKey[] = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Torvane]\r\n";

}  // namespace

class HostVersionTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // The host's registry.reg with `body` below the header, loaded back; a file that does not
    // load fails the test.
    RegistryFile registryWith(const QByteArray& body) {
        const QString path = m_dir.filePath(QStringLiteral("registry.reg"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
        file.write("Windows Registry Editor Version 5.00\r\n\r\n" + body);
        file.close();
        auto loaded = RegistryFile::load(path);
        if (!loaded) {
            QTest::qFail(qPrintable(loaded.error().message), __FILE__, __LINE__);
            return {};
        }
        return std::move(loaded).value();
    }

    static QByteArray makerVersion(int major, int minor, int release, int build) {
        return kMakerKey + QStringLiteral(
                               "\"MajorVersion\"=dword:%1\r\n\"MinorVersion\"=dword:%2\r\n"
                               "\"ReleaseVersion\"=dword:%3\r\n\"BuildVersion\"=dword:%4\r\n")
                               .arg(major, 8, 16, QChar(u'0'))
                               .arg(minor, 8, 16, QChar(u'0'))
                               .arg(release, 8, 16, QChar(u'0'))
                               .arg(build, 8, 16, QChar(u'0'))
                               .toUtf8();
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void queryGivesTheStoredValueOrTheDefault_data() {
        QTest::addColumn<QString>("keyPath");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("expected");
        const QVariant fallback(QStringLiteral("fallback"));
        QTest::addRow("text") << "SOFTWARE\\A"
                              << "Text" << 1 << QVariant(QStringLiteral("C:\\Halvern"));
        QTest::addRow("number") << "software\\a\\"
                                << "NUMBER" << 4 << QVariant::fromValue<qint32>(-2);
        QTest::addRow("bytes") << "SOFTWARE\\A"
                               << "Bytes" << 3 << QVariant(QByteArray("\x00\x7f", 2));
        QTest::addRow("missing value") << "SOFTWARE\\A"
                                       << "Other" << 1 << fallback;
        QTest::addRow("missing key") << "SOFTWARE\\B"
                                     << "Text" << 1 << fallback;
        QTest::addRow("number asked as text") << "SOFTWARE\\A"
                                              << "Number" << 1 << fallback;
        QTest::addRow("text asked as number") << "SOFTWARE\\A"
                                              << "Text" << 4 << fallback;
    }
    void queryGivesTheStoredValueOrTheDefault() {
        QFETCH(QString, keyPath);
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(QVariant, expected);
        const RegistryFile registry = registryWith(
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"Text\"=\"C:\\\\Halvern\"\r\n"
            "\"Number\"=dword:fffffffe\r\n\"Bytes\"=hex:00,7f\r\n");
        auto read = brindle::QueryRegistryValue(registry, brindle::Hive::LocalMachine, keyPath, name, type,
                                                QStringLiteral("fallback"));
        QVERIFY(read.ok());
        QCOMPARE(read.value(), expected);
    }

    void queryRejectsUnsupportedValueTypes_data() {
        QTest::addColumn<int>("type");
        QTest::addRow("expandable text") << 2;
        QTest::addRow("none") << 0;
        QTest::addRow("multi-string") << 7;
        QTest::addRow("64-bit number") << 11;
    }
    void queryRejectsUnsupportedValueTypes() {
        QFETCH(int, type);
        const RegistryFile registry =
            registryWith("[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"E\"=hex(2):41,00,00,00\r\n");
        auto read =
            brindle::QueryRegistryValue(registry, brindle::Hive::LocalMachine, QStringLiteral("SOFTWARE\\A"),
                                        QStringLiteral("E"), type, QVariant());
        QVERIFY(!read.ok());
        QCOMPARE(read.error().number, 1001);
        QCOMPARE(read.error().message, QStringLiteral("Unsupported value type"));
    }

    void makerKeyWinsOverTheFirstMakersKey() {
        RecordingNotifier notifier;
        const HostVersionInfo info = getVersion(registryWith(makerVersion(7, 2, 1, 300) + kFirstMakerKey +
                                                             "\"Version Number\"=dword:00030001\r\n"),
                                                notifier);
        QVERIFY(info.NewLayout);
        QVERIFY(!info.NotFound);
        QCOMPARE(info.Major, 7);
        QCOMPARE(info.Minor, 2);
        QCOMPARE(info.Release, 1);
        QCOMPARE(info.Build, 300);
        QCOMPARE(info.VersionText, QStringLiteral("7.2(1.300)"));
        QVERIFY(notifier.messages.isEmpty());
    }

    void writesVersionTextAsMajorMinorReleaseBuild() {
        RecordingNotifier notifier;
        const HostVersionInfo info = getVersion(registryWith(makerVersion(4, 0, 3, 125)), notifier);
        QCOMPARE(info.VersionText, QStringLiteral("4.0(3.125)"));
    }

    void makerKeyWithoutValuesGivesZeros() {
        RecordingNotifier notifier;
        const HostVersionInfo info = getVersion(registryWith(kMakerKey), notifier);
        QVERIFY(info.NewLayout);
        QCOMPARE(info.VersionText, QStringLiteral("0.0(0.0)"));
        QVERIFY(notifier.messages.isEmpty());
    }

    void reportsAVersionNumberTooLargeFor16Bits() {
        RecordingNotifier notifier;
        const HostVersionInfo info = getVersion(registryWith(makerVersion(0x10000, 2, 1, 5)), notifier);
        QCOMPARE(notifier.messages,
                 QStringList{QStringLiteral(
                     "(error):6 (Overflow) in procedure getVersion of Module HalvernVersion")});
        QCOMPARE(info.Major, 0);
        QCOMPARE(info.VersionText, QStringLiteral("0.2(1.5)"));
        QVERIFY(info.NewLayout);
    }

    void readsTheFirstMakersHexDigitsAsTheHostDoes_data() {
        QTest::addColumn<QByteArray>("values");
        QTest::addColumn<QString>("versionText");
        QTest::addRow("3.1 build 7B")
            << QByteArray("\"Version Number\"=dword:00030001\r\n\"Build Number\"=dword:0000007b\r\n")
            << "3.1(0.123)";
        QTest::addRow("minor 000A reads as 0")
            << QByteArray("\"Version Number\"=dword:0004000a\r\n\"Build Number\"=dword:00000000\r\n")
            << "4.0(0.0)";
        QTest::addRow("digit then letter stops")
            << QByteArray("\"Version Number\"=dword:001200a4\r\n\"Build Number\"=dword:00050010\r\n")
            << "12.0(5.16)";
        QTest::addRow("build FFFF is -1")
            << QByteArray("\"Version Number\"=dword:00010000\r\n\"Build Number\"=dword:0001ffff\r\n")
            << "1.0(1.-1)";
        QTest::addRow("negative number keeps its 32 bits")
            << QByteArray("\"Version Number\"=dword:90000001\r\n") << "9000.1(0.0)";
        QTest::addRow("values missing") << QByteArray() << "0.0(0.0)";
        QTest::addRow("values of another type")
            << QByteArray("\"Version Number\"=\"30001\"\r\n") << "0.0(0.0)";
    }
    void readsTheFirstMakersHexDigitsAsTheHostDoes() {
        QFETCH(QByteArray, values);
        QFETCH(QString, versionText);
        RecordingNotifier notifier;
        const HostVersionInfo info = getVersion(registryWith(kFirstMakerKey + values), notifier);
        QVERIFY(!info.NewLayout);
        QVERIFY(!info.NotFound);
        QCOMPARE(info.VersionText, versionText);
        QVERIFY(notifier.messages.isEmpty());
    }

    void firstMakersVersionFillsEveryField() {
        RecordingNotifier notifier;
        const HostVersionInfo info = getVersion(
            registryWith(QByteArray("[HKEY_LOCAL_MACHINE\\Software\\Torvane\\]\r\n") +
                         "\"Version Number\"=dword:00030001\r\n\"Build Number\"=dword:0000007B\r\n"),
            notifier);
        QCOMPARE(info.Major, 3);
        QCOMPARE(info.Minor, 1);
        QCOMPARE(info.Release, 0);
        QCOMPARE(info.Build, 123);
        QVERIFY(!info.NewLayout);
    }

    void neitherKeyMeansNotFound() {
        RecordingNotifier notifier;
        for (const RegistryFile& registry :
             {RegistryFile(), registryWith("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n")}) {
            const HostVersionInfo info = getVersion(registry, notifier);
            QVERIFY(info.NotFound);
            QVERIFY(!info.NewLayout);
            QCOMPARE(info.Major, 0);
            QCOMPARE(info.VersionText, QStringLiteral("0.0(0.0)"));
        }
        QVERIFY(notifier.messages.isEmpty());
    }

    void installPathNeedsTheVersionFirst() {
        RecordingNotifier notifier;
        const RegistryFile registry =
            registryWith(QByteArray(kMakerKey) + "\"InstalledFolderPath\"=\"/opt/halvern\"\r\n");
        QCOMPARE(strGetInstallPath(HostVersionInfo{}, registry, m_dir.path(), notifier), QString());
        QCOMPARE(notifier.messages,
                 QStringList{QStringLiteral("You need to load the verson information before "
                                            "calling any of the path fetch routines.")});
    }

    void installPathOfTheCurrentGenerationEndsInASeparator_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");  // "HOST" stands for the host folder
        QTest::addRow("absolute") << "/opt/halvern"
                                  << "/opt/halvern/";
        QTest::addRow("absolute with separator") << "/opt/halvern/"
                                                 << "/opt/halvern/";
        QTest::addRow("absolute, unclean") << "/opt//halvern/./bin/.."
                                           << "/opt/halvern/";
        QTest::addRow("relative") << "Install"
                                  << "HOST/Install/";
        QTest::addRow("relative with dots") << "./a/../Install/"
                                            << "HOST/Install/";
        QTest::addRow("not set") << ""
                                 << "";
    }
    void installPathOfTheCurrentGenerationEndsInASeparator() {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        RecordingNotifier notifier;
        QByteArray body = makerVersion(5, 0, 0, 1);
        if (!stored.isEmpty()) body += "\"InstalledFolderPath\"=\"" + stored.toUtf8() + "\"\r\n";
        const RegistryFile registry = registryWith(body);
        const HostVersionInfo info = getVersion(registry, notifier);
        QCOMPARE(strGetInstallPath(info, registry, m_dir.path(), notifier),
                 expected.replace("HOST", m_dir.path()));
        QVERIFY(notifier.messages.isEmpty());
    }

    void installPathOfTheOlderGenerationAddsNoSeparator_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::addRow("absolute, as stored") << "/srv/ostrum"
                                             << "/srv/ostrum";
        QTest::addRow("absolute with separator") << "/srv/ostrum/"
                                                 << "/srv/ostrum/";
        QTest::addRow("relative") << "Ostrum"
                                  << "HOST/Ostrum";
        QTest::addRow("relative with separator") << "Ostrum/"
                                                 << "HOST/Ostrum/";
    }
    void installPathOfTheOlderGenerationAddsNoSeparator() {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        RecordingNotifier notifier;
        const RegistryFile registry =
            registryWith(QByteArray(kFirstMakerKey) + "\"Version Number\"=dword:00030001\r\n" +
                         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Torvane\\Ostrum\\1.0]\r\n\"Root Path\"=\"" +
                         stored.toUtf8() + "\"\r\n");
        const HostVersionInfo info = getVersion(registry, notifier);
        QCOMPARE(strGetInstallPath(info, registry, m_dir.path(), notifier),
                 expected.replace("HOST", m_dir.path()));
        QVERIFY(notifier.messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(HostVersionTest)
#include "test_host_version.moc"
