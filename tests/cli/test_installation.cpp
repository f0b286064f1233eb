// The installed program as an administrator gets it: the Debian package unpacked into a
// throwaway root.
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "platform/version.h"
#include "support/brindle_process.h"

using namespace brindle::testing;

class InstallationTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_build = qEnvironmentVariable("BRINDLE_BUILD_DIR");
    QString m_package;  // the .deb
    QString m_usr;      // the package unpacked, its /usr

private slots:
    void initTestCase() {
        QVERIFY2(!m_build.isEmpty(), "BRINDLE_BUILD_DIR names the build tree (CTest sets it)");
        // The package is made from the build as it stands: the usual cpack run would first
        // build the tree's preinstall step, inside a tree that other tests are running from.
        const ProcessOutcome cpack =
            runProcess(qEnvironmentVariable("BRINDLE_CPACK"),
                       {"--config", m_build + "/CPackConfig.cmake", "-B", m_dir.filePath("package"), "-D",
                        "CPACK_INSTALL_CMAKE_PROJECTS=", "-D",
                        "CPACK_INSTALL_SCRIPTS=" + m_build + "/cmake_install.cmake", "-D",
                        "CPACK_SET_DESTDIR=ON", "-D", "CPACK_INSTALL_PREFIX=/usr"});
        QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.out + cpack.err));
        const QStringList packages = QDir(m_dir.filePath("package")).entryList({"brindle_*.deb"});
        QCOMPARE(packages.size(), 1);
        m_package = m_dir.filePath("package/" + packages.first());
        QCOMPARE(runProcess("dpkg-deb", {"-x", m_package, m_dir.filePath("root")}).exitCode, 0);
        m_usr = m_dir.filePath("root/usr");
    }

    // The packs and help pages beside the program, which finds them there when started through
    // the link, and exports; the demo host maker is left out.
    void installedProgramFindsItsFilesAndExports() {
        for (const QString& file :
             QDir(m_build + "/bin")
                 .entryList({"Brindle*.htm", "Brindle_ENU.dll", "Brindle_DEU.dll", "Brindle_FRA.dll"},
                            QDir::Files))
            QCOMPARE(fileContents(m_usr + "/lib/brindle/" + file), fileContents(m_build + "/bin/" + file));
        QCOMPARE(QDir(m_usr + "/bin").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 QStringList({"brindle", "brindle-pack"}));
        QCOMPARE(runProcess("find", {m_usr, "-name", "*demo-host*"}).out, QString());
        const ProcessOutcome help = runProcess(m_usr + "/bin/brindle", {"--help"});
        QVERIFY2(help.out.endsWith("\n" + QFileInfo(m_usr + "/lib/brindle").canonicalFilePath() + ".\n"),
                 qPrintable(help.out.right(200)));
        brindle::fixture::HostBuilder builder;
        builder.subscriber("jsmith");
        const QString host = writeHost(builder, m_dir.filePath("host"));
        QVERIFY(QDir().mkpath(m_dir.filePath("home")));
        const ProcessOutcome run = runProcess(m_usr + "/bin/brindle", {"Alias", "/f:~/out.csv"},
                                              brindleEnvironment(host, m_dir.filePath("home")));
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(fileContents(m_dir.filePath("home/out.csv")), QByteArray("ALIAS\r\njsmith\r\n"));
    }

    // Every package in Depends exists; the SQLite driver is loaded by name, so no link says so.
    void packageDeclaresTheDriverItLoadsByName() {
        const auto field = [this](const char* name) {
            return runProcess("dpkg-deb", {"-f", m_package, name}).out.trimmed();
        };
        QCOMPARE(field("Version"), QString::fromLatin1(brindle::kVersionText));
        for (const QString& entry : field("Depends").split(','))
            QVERIFY2(runProcess("dpkg-query", {"-W", entry.trimmed().section(' ', 0, 0)}).exitCode == 0,
                     qPrintable(entry));
        QVERIFY(field("Depends").contains("libqt6sql6-sqlite") &&
                field("Recommends").contains("libqt6sql6-odbc"));
    }
};

QTEST_GUILESS_MAIN(InstallationTest)
#include "test_installation.moc"
