// The installed program as an administrator gets it: the Debian package unpacked into a
// throwaway root, and the same tree from `cmake --install` under another prefix.
#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "hostbuilder/host_builder.h"
#include "platform/version.h"
#include "support/brindle_process.h"

using namespace brindle::testing;

namespace {

QString buildDir() {
    return qEnvironmentVariable("BRINDLE_BUILD_DIR");
}

// Every file and link below `root`, as paths relative to it.
QStringList treeOf(const QString& root) {
    QStringList paths;
    QDirIterator it(root, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) paths << QDir(root).relativeFilePath(it.next());
    paths.sort();
    return paths;
}

#define REQUIRE_TOOL(tool, package)                     \
    if (QStandardPaths::findExecutable(tool).isEmpty()) \
        QSKIP(tool " is missing: install " package " (scripts/install-deps --test does)");

}  // namespace

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
        QVERIFY(treeOf(m_usr).filter("demo-host").isEmpty());
    }

    void installingUnderAnotherPrefixGivesTheSameTree() {
        const QString prefix = m_dir.filePath("prefix");
        const ProcessOutcome install =
            runProcess(qEnvironmentVariable("BRINDLE_CMAKE"), {"--install", buildDir(), "--prefix", prefix});
        QVERIFY2(install.exitCode == 0, qPrintable(install.out + install.err));
        QCOMPARE(treeOf(prefix), treeOf(m_usr));
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

    // As man finds it by name and renders it, 200 columns wide: without a warning, and naming
    // every option, value and command that --help names, and for brindle every label.
    void manualPagesRenderWithWhatHelpNames_data() {
        QTest::addColumn<QString>("program");
        QTest::addRow("brindle") << "brindle";
        QTest::addRow("brindle-pack") << "brindle-pack";
    }
    void manualPagesRenderWithWhatHelpNames() {
        QFETCH(QString, program);
        REQUIRE_TOOL("man", "man-db");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", "C");
        environment.insert("MANWIDTH", "200");
        environment.insert("MANPATH", m_usr + "/share/man");
        const QString page = runProcess("man", {"-w", program}, environment).out.trimmed();
        QCOMPARE(page, m_usr + "/share/man/man1/" + program + ".1.gz");
        const ProcessOutcome man = runProcess("man", {"--warnings", "-l", page}, environment);
        QCOMPARE(man.exitCode, 0);
        QCOMPARE(man.err, QString());
        QStringList words;
        static const QRegularExpression named(R"((?:^  (make|dump) )|(--[a-z-]+)(?:=([a-z|]+))?)",
                                              QRegularExpression::MultilineOption);
        for (const auto& match : named.globalMatch(runProcess(m_usr + "/bin/" + program, {"--help"}).out))
            words << match.captured(1) << match.captured(2) << match.captured(3).split('|');
        words.removeAll(QString());
        QVERIFY(words.size() >= 5);
        for (const QString& word : words) QVERIFY2(man.out.contains(word), qPrintable(word));
        QStringList lines = man.out.split('\n');
        for (QString& line : lines) line = line.trimmed();
        const QString labels = program == "brindle" ? runProcess(m_usr + "/bin/brindle", {"--list"}).out : "";
        for (const QString& label : labels.split('\n', Qt::SkipEmptyParts))
            QVERIFY2(lines.contains(label), qPrintable(label));
    }

    void desktopEntryValidatesAndNamesTheInstalledIcon() {
        REQUIRE_TOOL("desktop-file-validate", "desktop-file-utils");
        const QString entry = m_usr + "/share/applications/brindle.desktop";
        const ProcessOutcome validate = runProcess("desktop-file-validate", {entry});
        QCOMPARE(validate.exitCode, 0);
        QCOMPARE(validate.out + validate.err, QString());
        const QList<QByteArray> lines = fileContents(entry).split('\n');
        QVERIFY(lines.contains("Exec=brindle") && lines.contains("Icon=brindle"));
        QVERIFY(fileContents(m_usr + "/share/icons/hicolor/scalable/apps/brindle.svg").contains("<svg"));
    }

    void packageDeclaresThePackagesOfEveryLibraryTheProgramLinks() {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("built with the sanitizers, whose run-time libraries no package depends on");
#endif
        REQUIRE_TOOL("readelf", "binutils");
        const auto field = [this](const char* name) {
            return runProcess("dpkg-deb", {"-f", m_package, name}).out.trimmed();
        };
        QCOMPARE(field("Package"), QString("brindle"));
        QCOMPARE(field("Version"), QString::fromLatin1(brindle::kVersionText));
        QStringList depends;
        for (const QString& entry : field("Depends").split(','))
            depends << entry.trimmed().section(' ', 0, 0);
        // Loaded by name at run time, so no link says so.
        QVERIFY(depends.contains("libqt6sql6-sqlite"));
        QVERIFY(field("Recommends").contains("libqt6sql6-odbc"));
        for (const QString& package : depends)
            QVERIFY2(runProcess("dpkg-query", {"-W", package}).exitCode == 0,
                     qPrintable(package + " is unknown"));

        static const QRegularExpression needed(R"(\(NEEDED\)\s+Shared library: \[(.+)\])");
        const QString dynamic = runProcess("readelf", {"-d", m_usr + "/lib/brindle/brindle"}).out;
        int libraries = 0;
        for (const auto& match : needed.globalMatch(dynamic)) {
            const QString library = match.captured(1);
            bool declared = false;
            for (const QString& line : runProcess("dpkg", {"-S", "*/" + library}).out.split('\n'))
                declared =
                    declared || (line.endsWith("/" + library) && depends.contains(line.section(':', 0, 0)));
            QVERIFY2(declared, qPrintable(library + " comes from no package in Depends"));
            ++libraries;
        }
        QVERIFY(libraries >= 5);
    }
};

QTEST_GUILESS_MAIN(InstallationTest)
#include "test_installation.moc"
