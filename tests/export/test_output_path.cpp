#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "export/output_path.h"
#include "support/files.h"

using brindle::checkOutputPath;
using brindle::ProtectedPaths;
using brindle::testing::writeFile;

// A folder with a log, a host of four files and whatever a case adds. Every case names the
// output path relative to the folder.
class OutputPathTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString at(const QString& name) const { return m_dir.filePath(name); }
    QStringList hostFiles() const {
        return {at("host/registry.reg"), at("host/status"), at("host/HalvernDirDB.db"),
                at("host/HalvernMbxDB1.db")};
    }
    ProtectedPaths protectedPaths() const {
        return {at("BrindleErrors.log"), {at("BrindleErrors.log.lock")}, hostFiles(), {at("host/Streams")}};
    }

private slots:
    void init() {
        QVERIFY(QDir(m_dir.path()).removeRecursively());
        for (const QString& file :
             hostFiles() + QStringList{at("BrindleErrors.log"), at("BrindleErrors.log.lock"),
                                       at("host/Streams/HalvernDirDb/jsmith.wav"), at("out/old.csv")})
            QVERIFY(writeFile(file, "x"));
    }

    // Every kind the program refuses, and the paths that reach them in disguise; a row without
    // a reason is a path the export may write.
    void refusesWhatIsNotOursToReplace_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char* tag, const char* path, const char* reason) {
            QTest::addRow("%s", tag) << path << reason;
        };
        row("absent", "out/new.csv", "");
        row("regular file", "out/old.csv", "");
        row("absent, beside the log", "Brindle.CSV", "");
        row("absent, in the host folder", "host/export.csv", "");
        row("folder", "out", "is a folder");
        row("named pipe", "out/pipe", "is a named pipe");
        row("dangling link", "out/dangling", "is a symbolic link");
        row("device", "/dev/null", "is a character device");
        row("the log", "BrindleErrors.log", "is the error log");
        row("registry", "host/registry.reg", "host's own file");
        row("the log by a relative part", "out/../BrindleErrors.log", "is the error log");
        row("the log through a linked folder", "linked/BrindleErrors.log", "is the error log");
        row("message store", "host/./HalvernMbxDB1.db", "host's own file");
        row("hard link to the database", "out/hard.db", "host's own file");
        row("inside a file", "out/old.csv/x.csv", "cannot examine");
        row("the log's lock", "out/../BrindleErrors.log.lock", "lock file");
        row("a recording", "host/Streams/HalvernDirDb/jsmith.wav", "inside the host's own folder");
        row("new file in the stream store", "linked/host/Streams/HalvernDirDb/new.csv",
            "inside the host's own folder");
        row("ends in a slash", "new/", "names a folder");
        row("ends in a dot", "out/.", "names a folder");
        row("ends in two dots", "out/..", "names a folder");
    }
    void refusesWhatIsNotOursToReplace() {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QCOMPARE(mkfifo(QFile::encodeName(at("out/pipe")).constData(), 0600), 0);
        QVERIFY(QFile::link(at("out/missing.csv"), at("out/dangling")));
        QVERIFY(QFile::link(m_dir.path(), at("linked")));
        QCOMPARE(::link(QFile::encodeName(at("host/HalvernDirDB.db")).constData(),
                        QFile::encodeName(at("out/hard.db")).constData()),
                 0);

        const QString full = path.startsWith(u'/') ? path : at(path);
        const auto checked = checkOutputPath(full, protectedPaths());
        QCOMPARE(checked.ok(), reason.isEmpty());
        if (checked.ok()) return;
        QVERIFY2(checked.error().message.contains(reason), qPrintable(checked.error().message));
        QVERIFY(checked.error().message.contains(full));
    }
};

QTEST_GUILESS_MAIN(OutputPathTest)
#include "test_output_path.moc"
