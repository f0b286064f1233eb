// The installed program as an administrator gets it: the Debian package unpacked into a
// throwaway root.
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "hostbuilder/host_builder.h"
#include "platform/version.h"
#include "support/brindle_process.h"

using namespace brindle::testing;

static QString buildDir() {
    return qEnvironmentVariable("BRINDLE_BUILD_DIR");
}

class InstallationTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_package;  // the .deb
    QString m_usr;      // the package unpacked, its /usr

private slots:
    void initTestCase() {
        QVERIFY2(!buildDir().isEmpty(), "BRINDLE_BUILD_DIR names the build tree (CTest sets it)");
        // The package is made from the build as it stands: the usual cpack run would first
        // build the tree's preinstall step, inside a tree that other tests are running from.
        const ProcessOutcome cpack =
            runProcess(qEnvironmentVariable("BRINDLE_CPACK"),
                       {"--config", buildDir() + "/CPackConfig.cmake", "-B", m_dir.filePath("package"), "-D",
                        "CPACK_INSTALL_CMAKE_PROJECTS=", "-D",
                        "CPACK_INSTALL_SCRIPTS=" + buildDir() + "/cmake_install.cmake", "-D",
                        "CPACK_SET_DESTDIR=ON", "-D", "CPACK_INSTALL_PREFIX=/usr"});
        QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.out + cpack.err));
        const QStringList packages = QDir(m_dir.filePath("package")).entryList({"brindle_*.deb"});
        QCOMPARE(packages.size(), 1);
        m_package = m_dir.filePath("package/" + packages.first());
        QCOMPARE(runProcess("dpkg-deb", {"-x", m_package, m_dir.filePath("root")}).exitCode, 0);
        m_usr = m_dir.filePath("root/usr");
    }

    void putsTheProgramItsPacksAndHelpPagesInOneFolder() {
        const QStringList files = QDir(buildDir() + "/bin").entryList({"Brindle*.htm"}, QDir::Files)
                                  << "Brindle_ENU.dll"
                                  << "Brindle_DEU.dll"
                                  << "Brindle_FRA.dll";
        for (const QString& file : files)
            QCOMPARE(fileContents(m_usr + "/lib/brindle/" + file), fileContents(buildDir() + "/bin/" + file));
        QCOMPARE(QDir(m_usr + "/bin").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 QStringList({"brindle", "brindle-pack"}));
        QCOMPARE(
            std::filesystem::read_symlink(QFile::encodeName(m_usr + "/bin/brindle").toStdString()).string(),
            "../lib/brindle/brindle");
        QCOMPARE(runProcess("find", {m_usr, "-name", "*demo-host*"}).out, QString());
        const QByteArray entry = fileContents(m_usr + "/share/applications/brindle.desktop");
        QVERIFY(entry.contains("\nExec=brindle\n") && entry.contains("\nIcon=brindle\n"));
        QVERIFY(fileContents(m_usr + "/share/icons/hicolor/scalable/apps/brindle.svg").contains("<svg"));
    }

    // Started through the link, it looks for its files beside itself and finds its plug-ins.
    void installedProgramExportsWithoutAWindow() {
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

    // Rendered 200 columns wide, the manual pages without a warning; the desktop entry valid.
    void installedDocumentsPassTheirCheckers_data() {
        QTest::addColumn<QString>("checker");
        QTest::addColumn<QString>("file");  // below /usr
        QTest::addRow("brindle manual") << "man"
                                        << "share/man/man1/brindle.1.gz";
        QTest::addRow("brindle-pack manual") << "man"
                                             << "share/man/man1/brindle-pack.1.gz";
        QTest::addRow("desktop entry") << "desktop-file-validate"
                                       << "share/applications/brindle.desktop";
    }
    void installedDocumentsPassTheirCheckers() {
        QFETCH(QString, checker);
        QFETCH(QString, file);
        if (QStandardPaths::findExecutable(checker).isEmpty())
            QSKIP("a checker is missing: scripts/install-deps --test installs man-db and desktop-file-utils");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", "C");
        environment.insert("MANWIDTH", "200");
        QStringList arguments = checker == "man" ? QStringList{"--warnings", "-l"} : QStringList{};
        const ProcessOutcome checked = runProcess(checker, arguments << m_usr + "/" + file, environment);
        QCOMPARE(checked.exitCode, 0);
        QCOMPARE(checked.err, QString());
        if (checker != "man") QCOMPARE(checked.out, QString());
        // A manual page names every command and option that the program's --help names.
        static const QRegularExpression named(R"((?:^  (make|dump) )|(--[a-z-]+))",
                                              QRegularExpression::MultilineOption);
        const QString help = runProcess(m_usr + "/bin/" + QFileInfo(file).baseName(), {"--help"}).out;
        for (const auto& match : named.globalMatch(checker == "man" ? help : QString()))
            QVERIFY2(checked.out.contains(match.captured(1) + match.captured(2)),
                     qPrintable(match.captured()));
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
