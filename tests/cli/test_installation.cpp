// The installed program as an administrator gets it: from `cmake --install` under another
// prefix, and from the Debian package unpacked into a throwaway root.
#include <QDir>
#include <QDirIterator>
#include <QProcess>
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

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun runTool(const QString& program, const QStringList& arguments,
                const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) process.kill();
    process.waitForFinished();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QString buildDir() {
    return qEnvironmentVariable("BRINDLE_BUILD_DIR");
}

// A manual page of an installed tree as man finds it by name and renders it, 200 columns wide.
struct ManualPage {
    QString foundAt;
    ToolRun rendering;
};

ManualPage manualPage(const QString& tree, const QString& name) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C");
    environment.insert("MANWIDTH", "200");
    environment.insert("MANPATH", tree + "/share/man");
    const QString foundAt = runTool("man", {"-w", name}, environment).out.trimmed();
    return {foundAt, runTool("man", {"--warnings", "-l", foundAt}, environment)};
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
    QString m_prefix;   // cmake --install --prefix
    QString m_package;  // the .deb
    QString m_usr;      // the package unpacked, its /usr

    void addTrees() {
        QTest::addColumn<QString>("tree");
        QTest::addRow("install prefix") << m_prefix;
        QTest::addRow("package") << m_usr;
    }

private slots:
    void initTestCase() {
        QVERIFY2(!buildDir().isEmpty(), "BRINDLE_BUILD_DIR names the build tree (CTest sets it)");
        m_prefix = m_dir.filePath("prefix");
        const ToolRun install =
            runTool(qEnvironmentVariable("BRINDLE_CMAKE"), {"--install", buildDir(), "--prefix", m_prefix});
        QVERIFY2(install.exitCode == 0, qPrintable(install.out + install.err));

        // The package is made from the build as it stands: the usual cpack run would first
        // build the tree's preinstall step, inside a tree that other tests are running from.
        const ToolRun cpack = runTool(qEnvironmentVariable("BRINDLE_CPACK"),
                                      {"--config", buildDir() + "/CPackConfig.cmake", "-B",
                                       m_dir.filePath("package"), "-D", "CPACK_INSTALL_CMAKE_PROJECTS=", "-D",
                                       "CPACK_INSTALL_SCRIPTS=" + buildDir() + "/cmake_install.cmake", "-D",
                                       "CPACK_SET_DESTDIR=ON", "-D", "CPACK_INSTALL_PREFIX=/usr"});
        QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.out + cpack.err));
        const QStringList packages = QDir(m_dir.filePath("package")).entryList({"brindle_*.deb"});
        QCOMPARE(packages.size(), 1);
        m_package = m_dir.filePath("package/" + packages.first());
        const ToolRun unpack = runTool("dpkg-deb", {"-x", m_package, m_dir.filePath("root")});
        QVERIFY2(unpack.exitCode == 0, qPrintable(unpack.err));
        m_usr = m_dir.filePath("root/usr");
    }

    void putsTheProgramItsPacksAndHelpPagesInOneFolder_data() { addTrees(); }
    void putsTheProgramItsPacksAndHelpPagesInOneFolder() {
        QFETCH(QString, tree);
        const QDir folder(tree + "/lib/brindle");
        QVERIFY(QFileInfo(folder.filePath("brindle")).isExecutable());
        for (const char* code : {"ENU", "DEU", "FRA"}) {
            const QString pack = QStringLiteral("Brindle_%1.dll").arg(code);
            QCOMPARE(fileContents(folder.filePath(pack)), fileContents(buildDir() + "/bin/" + pack));
        }
        for (const QString& page : QDir(buildDir() + "/bin").entryList({"Brindle*.htm"}, QDir::Files)) {
            QCOMPARE(fileContents(folder.filePath(page)), fileContents(buildDir() + "/bin/" + page));
        }
        QCOMPARE(QDir(tree + "/bin").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 QStringList({"brindle", "brindle-pack"}));
        QCOMPARE(QFile::symLinkTarget(tree + "/bin/brindle"),
                 QFileInfo(folder.filePath("brindle")).absoluteFilePath());
        QCOMPARE(
            std::filesystem::read_symlink(QFile::encodeName(tree + "/bin/brindle").toStdString()).string(),
            "../lib/brindle/brindle");
        QVERIFY(treeOf(tree).filter("demo-host").isEmpty());
    }

    void installedProgramLooksForItsFilesBesideItselfThroughTheLink_data() { addTrees(); }
    void installedProgramLooksForItsFilesBesideItselfThroughTheLink() {
        QFETCH(QString, tree);
        const ToolRun help = runTool(tree + "/bin/brindle", {"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.endsWith("\n" + QFileInfo(tree + "/lib/brindle").canonicalFilePath() + ".\n"),
                 qPrintable(help.out.right(200)));
        const ToolRun list = runTool(tree + "/bin/brindle", {"--list"});
        QCOMPARE(list.out, runTool(buildDir() + "/bin/brindle", {"--list"}).out);
    }

    void installedProgramExportsWithoutAWindow_data() { addTrees(); }
    void installedProgramExportsWithoutAWindow() {
        QFETCH(QString, tree);
        const QString work =
            m_dir.filePath(QString("export-%1").arg(QTest::currentDataTag()).replace(' ', '-'));
        brindle::fixture::HostBuilder builder;
        builder.subscriber("jsmith");
        const QString host = writeHost(builder, work + "/host");
        QVERIFY(QDir().mkpath(work + "/home"));
        const ToolRun run = runTool(tree + "/bin/brindle", {"Alias", "/f:~/out.csv"},
                                    brindleEnvironment(host, work + "/home"));
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(fileContents(work + "/home/out.csv"), QByteArray("ALIAS\r\njsmith\r\n"));
    }

    void manualPageRendersWithEveryLabelAndOption_data() { addTrees(); }
    void manualPageRendersWithEveryLabelAndOption() {
        QFETCH(QString, tree);
        REQUIRE_TOOL("man", "man-db");
        const ManualPage page = manualPage(tree, "brindle");
        QCOMPARE(page.foundAt, tree + "/share/man/man1/brindle.1.gz");
        const ToolRun& man = page.rendering;
        QCOMPARE(man.exitCode, 0);
        QCOMPARE(man.err, QString());
        QStringList lines = man.out.split('\n');
        for (QString& line : lines) line = line.trimmed();
        for (const QString& label :
             runTool(tree + "/bin/brindle", {"--list"}).out.split('\n', Qt::SkipEmptyParts))
            QVERIFY2(lines.contains(label), qPrintable(label));
        // Every option --help names, with its values.
        static const QRegularExpression option("(--[a-z]+)(=([a-z|]+))?");
        const QString help = runTool(tree + "/bin/brindle", {"--help"}).out;
        int options = 0;
        for (const auto& match : option.globalMatch(help)) {
            QVERIFY2(man.out.contains(match.captured(1)), qPrintable(match.captured(1)));
            QVERIFY2(man.out.contains(match.captured(3)), qPrintable(match.captured(3)));
            ++options;
        }
        QVERIFY(options >= 6);
    }

    void packToolManualPageRendersWithItsCommandsAndOptions_data() { addTrees(); }
    void packToolManualPageRendersWithItsCommandsAndOptions() {
        QFETCH(QString, tree);
        REQUIRE_TOOL("man", "man-db");
        const ManualPage page = manualPage(tree, "brindle-pack");
        QCOMPARE(page.foundAt, tree + "/share/man/man1/brindle-pack.1.gz");
        const ToolRun& man = page.rendering;
        QCOMPARE(man.exitCode, 0);
        QCOMPARE(man.err, QString());
        // The commands and options that --help names.
        static const QRegularExpression named("^  (make|dump|--?[a-z-]+)",
                                              QRegularExpression::MultilineOption);
        const QString help = runTool(tree + "/bin/brindle-pack", {"--help"}).out;
        int names = 0;
        for (const auto& match : named.globalMatch(help)) {
            QVERIFY2(man.out.contains(match.captured(1)), qPrintable(match.captured(1)));
            ++names;
        }
        QVERIFY(names >= 5);
    }

    void desktopEntryValidatesAndNamesTheInstalledIcon_data() { addTrees(); }
    void desktopEntryValidatesAndNamesTheInstalledIcon() {
        QFETCH(QString, tree);
        REQUIRE_TOOL("desktop-file-validate", "desktop-file-utils");
        const QString entry = tree + "/share/applications/brindle.desktop";
        const ToolRun validate = runTool("desktop-file-validate", {entry});
        QCOMPARE(validate.exitCode, 0);
        QCOMPARE(validate.out + validate.err, QString());
        const QList<QByteArray> lines = fileContents(entry).split('\n');
        QVERIFY(lines.contains("Exec=brindle"));
        QVERIFY(lines.contains("Icon=brindle"));
        const QByteArray icon = fileContents(tree + "/share/icons/hicolor/scalable/apps/brindle.svg");
        QVERIFY(icon.startsWith("<?xml") && icon.contains("<svg"));
    }

    void packageHoldsExactlyTheInstallTree() { QCOMPARE(treeOf(m_usr), treeOf(m_prefix)); }

    void packageDeclaresThePackagesOfEveryLibraryTheProgramLinks() {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("built with the sanitizers, whose run-time libraries no package depends on");
#endif
        REQUIRE_TOOL("readelf", "binutils");
        const auto field = [this](const char* name) {
            return runTool("dpkg-deb", {"-f", m_package, name}).out.trimmed();
        };
        QCOMPARE(field("Package"), QString("brindle"));
        QCOMPARE(field("Version"), QString::fromLatin1(brindle::kVersionText));
        QStringList depends;
        for (const QString& entry : field("Depends").split(','))
            depends << entry.trimmed().section(' ', 0, 0);
        // Loaded by name at run time, so no link says so.
        QVERIFY(depends.contains("libqt6sql6-sqlite"));
        QVERIFY(field("Recommends").contains("libqt6sql6-odbc"));
        for (const QString& package : depends) {
            QVERIFY2(runTool("dpkg-query", {"-W", package}).exitCode == 0,
                     qPrintable(package + " is unknown here"));
        }

        static const QRegularExpression needed(R"(\(NEEDED\)\s+Shared library: \[(.+)\])");
        const QString dynamic = runTool("readelf", {"-d", m_usr + "/lib/brindle/brindle"}).out;
        int libraries = 0;
        for (const auto& match : needed.globalMatch(dynamic)) {
            const QString library = match.captured(1);
            QStringList owners;
            for (const QString& line :
                 runTool("dpkg", {"-S", "*/" + library}).out.split('\n', Qt::SkipEmptyParts)) {
                if (line.endsWith("/" + library)) owners << line.section(':', 0, 0);
            }
            bool declared = false;
            for (const QString& owner : owners) declared = declared || depends.contains(owner);
            QVERIFY2(declared, qPrintable(library + " comes from " + owners.join(", ") + ", not in Depends"));
            ++libraries;
        }
        QVERIFY(libraries >= 5);
    }
};

QTEST_GUILESS_MAIN(InstallationTest)
#include "test_installation.moc"
