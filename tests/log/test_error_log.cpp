#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "log/error_log.h"
#include "support/file_size_limit.h"
#include "support/files.h"

using brindle::ErrorLog;
using brindle::testing::fileContents;
using brindle::testing::FileSizeLimit;

namespace {

const QByteArray kBanner =
    "\r\n"
    "*************************************************************\r\n"
    "Running Brindle version: 1.0.3\r\n"
    "\r\n"
    "Search for '(error)' or '(warning)' to find logged errors and warnings during the import process.\r\n"
    "\r\n"
    "*************************************************************\r\n"
    "\r\n";

brindle::Result<void> open(ErrorLog& log, const QString& path, bool append = false) {
    return log.OpenErrorLog(path, append, QStringLiteral("Brindle"), QStringLiteral("1.0.3"));
}

}  // namespace

class ErrorLogTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("BrindleErrors.log"));
        QFile::remove(m_path);
    }

    // Steps: "open", "append" (open and continue), "close", or a line to write. Markers count in
    // any letter case, once a line, and only from the banner on.
    void writesTheBannerAndCountsEachLine_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("errors");
        QTest::addColumn<int>("warnings");
        QTest::addRow("markers") << QStringList{"open",           "(ERROR) a",
                                                "(Warning) b",    "(error) (warning) (error)",
                                                "error, warning", "close"}
                                 << kBanner +
                                        "(ERROR) a\r\n(Warning) b\r\n(error) (warning) (error)\r\n"
                                        "error, warning\r\n"
                                 << 2 << 2;
        QTest::addRow("a new open replaces the previous log")
            << QStringList{"open", "(error) first run", "close", "open", "second run", "close"}
            << kBanner + "second run\r\n"
            << 0 << 0;
        QTest::addRow("reopening without closing replaces too")
            << QStringList{"open", "first run", "open", "close"} << kBanner << 0 << 0;
        QTest::addRow("append keeps the previous log")
            << QStringList{"open", "(error) first run", "close", "append", "close"}
            << kBanner + "(error) first run\r\n" + kBanner << 0 << 0;
        QTest::addRow("counting goes on after closing")
            << QStringList{"open", "(error) one", "close", "(warning) two, while closed"}
            << kBanner + "(error) one\r\n"
            << 1 << 1;
    }
    void writesTheBannerAndCountsEachLine() {
        QFETCH(QStringList, steps);
        QFETCH(QByteArray, content);
        QFETCH(int, errors);
        QFETCH(int, warnings);
        ErrorLog log;
        for (const QString& step : steps) {
            if (step == "open" || step == "append") {
                QVERIFY(open(log, m_path, step == "append").ok());
                QCOMPARE(log.errorCount() + log.warningCount(), 0);
            } else if (step == "close") {
                log.CloseErrorLog();
                QVERIFY(!log.isOpen());
            } else {
                log.WriteLogLine(step);
            }
        }
        QCOMPARE(log.errorCount(), errors);
        QCOMPARE(log.warningCount(), warnings);
        QCOMPARE(fileContents(m_path), content);
    }

    void countsPast32767() {
        ErrorLog log;
        QVERIFY(open(log, m_path).ok());
        for (int i = 0; i < 40000; ++i) log.WriteLogLine(QStringLiteral("(error) x"));
        QCOMPARE(log.errorCount(), 40000);
    }

    // Whatever is at the log's path that is not a regular file of its own is refused, and
    // nothing it leads to is touched.
    void reportsAnOpenFailureAndStillCounts_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("reason");
        QTest::addRow("folder missing") << "missing"
                                        << "No such file or directory";
        QTest::addRow("symbolic link") << "symlink"
                                       << "it is a symbolic link";
        QTest::addRow("dangling symbolic link") << "dangling"
                                                << "it is a symbolic link";
        QTest::addRow("hard link") << "hardlink"
                                   << "it is a hard link";
        QTest::addRow("named pipe") << "fifo"
                                    << "it is not a regular file";
        QTest::addRow("device") << "device"
                                << "it is not a regular file";
    }
    void reportsAnOpenFailureAndStillCounts() {
        QFETCH(QString, obstacle);
        QFETCH(QString, reason);
        const QString precious = m_dir.filePath(QStringLiteral("precious.conf"));
        QVERIFY(brindle::testing::writeFile(precious, "keep\n"));
        QString path = m_path;
        if (obstacle == "missing") path = m_dir.filePath(QStringLiteral("no such folder/BrindleErrors.log"));
        if (obstacle == "symlink") QVERIFY(QFile::link(precious, path));
        if (obstacle == "dangling") QVERIFY(QFile::link(m_dir.filePath("not-yet"), path));
        if (obstacle == "hardlink") QCOMPARE(::link(qPrintable(precious), qPrintable(path)), 0);
        if (obstacle == "fifo") QCOMPARE(::mkfifo(qPrintable(path), 0600), 0);
        if (obstacle == "device") path = QStringLiteral("/dev/full");

        ErrorLog log;
        const auto opened = open(log, path);
        QVERIFY(!opened.ok());
        QVERIFY2(opened.error().message.contains(path + ": " + reason), qPrintable(opened.error().message));
        QVERIFY(!log.isOpen());
        log.WriteLogLine(QStringLiteral("(error) nowhere to go"));
        QCOMPARE(log.errorCount(), 1);
        QCOMPARE(fileContents(precious), QByteArray("keep\n"));
        QVERIFY(!QFile::exists(m_dir.filePath("not-yet")));
    }

    void aLogThatCannotTakeItsBannerIsNotOpened() {
        ErrorLog log;
        const FileSizeLimit fullDisk(0);
        const auto opened = open(log, m_path);
        QVERIFY(!opened.ok());
        QVERIFY2(opened.error().message.contains(m_path + " is incomplete: File too large"),
                 qPrintable(opened.error().message));
        QVERIFY(!log.isOpen());
    }

    void aLineLostOnAFullDiskMakesTheLogIncomplete() {
        ErrorLog log;
        QVERIFY(open(log, m_path).ok());
        log.WriteLogLine(QStringLiteral("Alias=first"));
        QVERIFY(log.whole().ok());
        {
            // The file may grow by a few bytes only: what is still buffered is cut short.
            const FileSizeLimit nearlyFull(QFileInfo(m_path).size() + 5);
            log.WriteLogLine(QStringLiteral("Alias=second, too long to fit"));
            log.CloseErrorLog();
        }
        const auto whole = log.whole();
        QVERIFY(!whole.ok());
        QVERIFY2(whole.error().message.contains(m_path + " is incomplete: File too large"),
                 qPrintable(whole.error().message));
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(ErrorLogTest)
#include "test_error_log.moc"
