#include <QTemporaryDir>
#include <QTest>

#include "host/host_version.h"
#include "host/registry_api.h"
#include "support/files.h"
#include "support/recording_notifier.h"

using brindle::HostVersionInfo;
using brindle::RegistryFile;
using brindle::testing::RecordingNotifier;

namespace {

const QByteArray kMakerKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestrom Systems\\Kestrom Halvern]\r\n";
const QByteArray kFirstMakerKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Torvane]\r\n";
const QString kNeedsVersion =
    QStringLiteral("You need to load the verson information before calling any of the path fetch routines.");
const QString kOverflow =
    QStringLiteral("(error):6 (Overflow) in procedure getVersion of Module HalvernVersion");

QByteArray makerVersion(int major, int minor, int release, int build) {
    QByteArray values = kMakerKey;
    for (const auto& [name, number] :
         {std::pair{"Major", major}, {"Minor", minor}, {"Release", release}, {"Build", build}})
        values += "\"" + QByteArray(name) +
                  "Version\"=dword:" + QByteArray::number(number, 16).rightJustified(8, '0') + "\r\n";
    return values;
}

QByteArray firstMakerVersion(const QByteArray& version, const QByteArray& build) {
    return kFirstMakerKey + "\"Version Number\"=dword:" + version.rightJustified(8, '0') +
           "\r\n\"Build Number\"=dword:" + build.rightJustified(8, '0') + "\r\n";
}

}  // namespace

class HostVersionTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // The host's registry.reg with `body` below the header, loaded back; a file that does not
    // load fails the test.
    RegistryFile registryWith(const QByteArray& body) {
        const QString path = m_dir.filePath(QStringLiteral("registry.reg"));
        if (!brindle::testing::writeFile(path, "Windows Registry Editor Version 5.00\r\n\r\n" + body))
            return {};
        auto loaded = RegistryFile::load(path);
        if (!loaded) QTest::qFail(qPrintable(loaded.error().message), __FILE__, __LINE__);
        return loaded ? std::move(loaded).value() : RegistryFile();
    }

private slots:
    void queryGivesTheStoredValueOrTheDefault_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("expected");  // none: an unsupported type, refused
        const QVariant fallback(QStringLiteral("fallback"));
        QTest::addRow("text") << "Text" << 1 << "SOFTWARE\\A" << QVariant("C:\\Halvern");
        QTest::addRow("number") << "NUMBER" << 4 << "software\\a\\" << QVariant::fromValue<qint32>(-2);
        QTest::addRow("bytes") << "Bytes" << 3 << "SOFTWARE\\A" << QVariant(QByteArray("\x00\x7f", 2));
        QTest::addRow("missing value") << "Other" << 1 << "SOFTWARE\\A" << fallback;
        QTest::addRow("number asked as text") << "Number" << 1 << "SOFTWARE\\A" << fallback;
        QTest::addRow("expandable text") << "E" << 2 << "SOFTWARE\\A" << QVariant();
        QTest::addRow("64-bit number") << "E" << 11 << "SOFTWARE\\A" << QVariant();
    }
    void queryGivesTheStoredValueOrTheDefault() {
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(QString, key);
        QFETCH(QVariant, expected);
        const RegistryFile registry = registryWith(
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"Text\"=\"C:\\\\Halvern\"\r\n"
            "\"Number\"=dword:fffffffe\r\n\"Bytes\"=hex:00,7f\r\n\"E\"=hex(2):41,00,00,00\r\n");
        auto read = brindle::QueryRegistryValue(registry, brindle::Hive::LocalMachine, key, name, type,
                                                QStringLiteral("fallback"));
        QCOMPARE(read.ok(), expected.isValid());
        if (read) QCOMPARE(read.value(), expected);
        if (!read) QCOMPARE(read.error().number, brindle::kUnsupportedValueTypeError);
    }

    void readsTheVersionOfEitherGeneration_data() {
        QTest::addColumn<QByteArray>("registry");
        QTest::addColumn<QString>("versionText");
        QTest::addColumn<bool>("newLayout");
        QTest::addColumn<bool>("notFound");
        QTest::addColumn<bool>("overflow");
        const QByteArray other = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n";
        QTest::addRow("the maker's key wins over the first maker's")
            << makerVersion(7, 2, 1, 300) + firstMakerVersion("00030001", "0") << "7.2(1.300)" << true
            << false << false;
        QTest::addRow("a number too large for 16 bits")
            << makerVersion(0x10000, 2, 1, 5) << "0.2(1.5)" << true << false << true;
        QTest::addRow("first maker, build 7B")
            << firstMakerVersion("00030001", "0000007b") << "3.1(0.123)" << false << false << false;
        QTest::addRow("first maker, minor 000A reads as 0")
            << firstMakerVersion("0004000a", "0") << "4.0(0.0)" << false << false << false;
        QTest::addRow("first maker, digit then letter stops")
            << firstMakerVersion("001200a4", "00050010") << "12.0(5.16)" << false << false << false;
        QTest::addRow("first maker, a negative number keeps its 32 bits")
            << firstMakerVersion("90000001", "0") << "9000.1(0.0)" << false << false << false;
        QTest::addRow("first maker, values of another type")
            << kFirstMakerKey + "\"Version Number\"=\"30001\"\r\n"
            << "0.0(0.0)" << false << false << false;
        QTest::addRow("neither key") << other << "0.0(0.0)" << false << true << false;
    }
    void readsTheVersionOfEitherGeneration() {
        QFETCH(QByteArray, registry);
        QFETCH(QString, versionText);
        QFETCH(bool, newLayout);
        QFETCH(bool, notFound);
        QFETCH(bool, overflow);
        RecordingNotifier notifier;
        const HostVersionInfo info = getVersion(registryWith(registry), notifier);
        QCOMPARE(info.VersionText, versionText);
        QCOMPARE(info.NewLayout, newLayout);
        QCOMPARE(info.NotFound, notFound);
        QCOMPARE(notifier.messages, overflow ? QStringList{kOverflow} : QStringList());
    }

    // The current generation's path always ends in a separator; the older one's is given as
    // stored, only made absolute. "HOST" stands for the host folder, "!" begins an Error.
    void findsTheInstallPathOfEitherGeneration_data() {
        QTest::addColumn<QByteArray>("registry");
        QTest::addColumn<QString>("expected");
        const auto current = [](const QByteArray& path) {
            return makerVersion(5, 0, 0, 1) + "\"InstalledFolderPath\"=\"" + path + "\"\r\n";
        };
        const auto older = [](const QByteArray& path) {
            return firstMakerVersion("00030001", "0") +
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Torvane\\Ostrum\\1.0]\r\n\"Root Path\"=\"" + path +
                   "\"\r\n";
        };
        QTest::addRow("absolute") << current("/opt/halvern") << "/opt/halvern/";
        QTest::addRow("absolute with separator") << current("/opt/halvern/") << "/opt/halvern/";
        QTest::addRow("absolute, unclean") << current("/opt//halvern/./bin/..") << "/opt/halvern/";
        QTest::addRow("relative") << current("Install") << "HOST/Install/";
        QTest::addRow("relative with dots") << current("./a/../Install/") << "HOST/Install/";
        QTest::addRow("not set") << makerVersion(5, 0, 0, 1)
                                 << "!the host's registry names no install folder (InstalledFolderPath)";
        QTest::addRow("no version loaded") << kMakerKey + "\"InstalledFolderPath\"=\"/opt\"\r\n"
                                           << "!" + kNeedsVersion;
        QTest::addRow("older, absolute") << older("/srv/ostrum") << "/srv/ostrum";
        QTest::addRow("older, absolute with separator") << older("/srv/ostrum/") << "/srv/ostrum/";
        QTest::addRow("older, relative") << older("Ostrum") << "HOST/Ostrum";
        QTest::addRow("older, relative with separator") << older("Ostrum/") << "HOST/Ostrum/";
    }
    void findsTheInstallPathOfEitherGeneration() {
        QFETCH(QByteArray, registry);
        QFETCH(QString, expected);
        RecordingNotifier notifier;
        const RegistryFile loaded = registryWith(registry);
        const auto path = strGetInstallPath(getVersion(loaded, notifier), loaded, m_dir.path());
        QCOMPARE(path ? *path : "!" + path.error().message, expected.replace("HOST", m_dir.path()));
        QCOMPARE(notifier.messages, QStringList());
    }
};

QTEST_GUILESS_MAIN(HostVersionTest)
#include "test_host_version.moc"
