#include <QTemporaryDir>
#include <QTest>

#include "host/host_version.h"
#include "support/files.h"
#include "support/recording_notifier.h"

using brindle::RegistryFile;
using brindle::testing::RecordingNotifier;

namespace {

const QByteArray kMakerKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestrom Systems\\Kestrom Halvern]\r\n";
const QByteArray kFirstMakerKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Torvane]\r\n";

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
    // The version text, "new" for the current generation's layout, "none" when neither key is
    // there, and the message a version number too large for 16 bits gives.
    void readsTheVersionOfEitherGeneration_data() {
        QTest::addColumn<QByteArray>("registry");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* tag, const QByteArray& registry, const char* expected) {
            QTest::addRow("%s", tag) << registry << QString(expected);
        };
        row("the maker's key wins", makerVersion(7, 2, 1, 300) + firstMakerVersion("30001", "0"),
            "7.2(1.300) new");
        row("too large for 16 bits", makerVersion(0x10000, 2, 1, 5),
            "0.2(1.5) new (error):6 (Overflow) in procedure getVersion of Module HalvernVersion");
        row("first maker, build 7B", firstMakerVersion("00030001", "0000007b"), "3.1(0.123)");
        row("first maker, minor 000A reads as 0", firstMakerVersion("0004000a", "0"), "4.0(0.0)");
        row("first maker, digit then letter stops", firstMakerVersion("001200a4", "00050010"), "12.0(5.16)");
        row("first maker, negative keeps 32 bits", firstMakerVersion("90000001", "0"), "9000.1(0.0)");
        row("first maker, another type", kFirstMakerKey + "\"Version Number\"=\"30001\"\r\n", "0.0(0.0)");
        row("neither key", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n", "0.0(0.0) none");
    }
    void readsTheVersionOfEitherGeneration() {
        QFETCH(QByteArray, registry);
        QFETCH(QString, expected);
        RecordingNotifier notifier;
        const auto info = getVersion(registryWith(registry), notifier);
        QStringList seen{info.VersionText};
        if (info.NewLayout) seen << "new";
        if (info.NotFound) seen << "none";
        QCOMPARE((seen + notifier.messages).join(' '), expected);
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
        QTest::addRow("absolute, unclean") << current("/opt//halvern/./bin/..") << "/opt/halvern/";
        QTest::addRow("relative with dots") << current("./a/../Install/") << "HOST/Install/";
        QTest::addRow("not set") << makerVersion(5, 0, 0, 1)
                                 << "!the host's registry names no install folder (InstalledFolderPath)";
        QTest::addRow("no version loaded") << kMakerKey + "\"InstalledFolderPath\"=\"/opt\"\r\n"
                                           << "!You need to load the verson information before calling any "
                                              "of the path fetch routines.";
        QTest::addRow("older, absolute") << older("/srv//ostrum") << "/srv//ostrum";
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
