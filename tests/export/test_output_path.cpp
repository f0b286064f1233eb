#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "export/output_path.h"

using brindle::checkOutputPath;
using brindle::ProtectedPaths;

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
    static void touch(const QString& path) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }

private slots:
    void init() {
        QVERIFY(QDir(m_dir.path()).removeRecursively());
        QVERIFY(QDir().mkpath(at("host/Streams/HalvernDirDb")));
        QVERIFY(QDir().mkpath(at("out")));
        for (const QString& file : hostFiles()) touch(file);
        touch(at("BrindleErrors.log"));
        touch(at("BrindleErrors.log.lock"));
        touch(at("host/Streams/HalvernDirDb/jsmith.wav"));
        touch(at("out/old.csv"));
    }

    void acceptsAnAbsentPathOrARegularFile_data() {
        QTest::addColumn<QString>("path");
        QTest::addRow("absent") << "out/new.csv";
        QTest::addRow("regular file") << "out/old.csv";
        QTest::addRow("absent, beside the log") << "Brindle.CSV";
        QTest::addRow("absent, in the host folder") << "host/export.csv";
    }
    void acceptsAnAbsentPathOrARegularFile() {
        QFETCH(QString, path);
        const auto checked = checkOutputPath(at(path), protectedPaths());
        QVERIFY2(checked.ok(), qPrintable(checked.ok() ? QString() : checked.error().message));
    }

    void refusesWhatIsNotOursToReplace_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::addRow("folder") << "out"
                                << "is a folder";
        QTest::addRow("named pipe") << "out/pipe"
                                    << "is a named pipe";
        QTest::addRow("link to a regular file") << "out/link"
                                                << "is a symbolic link";
        QTest::addRow("dangling link") << "out/dangling"
                                       << "is a symbolic link";
        QTest::addRow("the log") << "BrindleErrors.log"
                                 << "is the error log";
        QTest::addRow("the log by a relative part") << "out/../BrindleErrors.log"
                                                    << "is the error log";
        QTest::addRow("the log through a linked folder") << "linked/BrindleErrors.log"
                                                         << "is the error log";
        QTest::addRow("registry") << "host/registry.reg"
                                  << "host's own file";
        QTest::addRow("status") << "host/status"
                                << "host's own file";
        QTest::addRow("directory database") << "host/HalvernDirDB.db"
                                            << "host's own file";
        QTest::addRow("message store") << "host/./HalvernMbxDB1.db"
                                       << "host's own file";
        QTest::addRow("hard link to the database") << "out/hard.db"
                                                   << "host's own file";
        QTest::addRow("inside a file") << "out/old.csv/x.csv"
                                       << "cannot examine";
        QTest::addRow("the log's lock") << "out/../BrindleErrors.log.lock"
                                        << "lock file";
        QTest::addRow("a recording") << "host/Streams/HalvernDirDb/jsmith.wav"
                                     << "inside the host's own folder";
        QTest::addRow("new file in the stream store") << "linked/host/Streams/HalvernDirDb/new.csv"
                                                      << "inside the host's own folder";
        QTest::addRow("ends in a slash") << "new/"
                                         << "names a folder";
        QTest::addRow("ends in a dot") << "out/."
                                       << "names a folder";
        QTest::addRow("ends in two dots") << "out/.."
                                          << "names a folder";
        QTest::addRow("device") << "/dev/null"
                                << "is a character device";
    }
    void refusesWhatIsNotOursToReplace() {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QCOMPARE(mkfifo(QFile::encodeName(at("out/pipe")).constData(), 0600), 0);
        QVERIFY(QFile::link(at("out/old.csv"), at("out/link")));
        QVERIFY(QFile::link(at("out/missing.csv"), at("out/dangling")));
        QVERIFY(QFile::link(m_dir.path(), at("linked")));
        QCOMPARE(::link(QFile::encodeName(at("host/HalvernDirDB.db")).constData(),
                        QFile::encodeName(at("out/hard.db")).constData()),
                 0);

        const QString full = path.startsWith('/') ? path : at(path);
        const auto checked = checkOutputPath(full, protectedPaths());
        QVERIFY(!checked.ok());
        QVERIFY2(checked.error().message.contains(reason), qPrintable(checked.error().message));
        QVERIFY(checked.error().message.contains(full));
    }
};

QTEST_GUILESS_MAIN(OutputPathTest)
#include "test_output_path.moc"
