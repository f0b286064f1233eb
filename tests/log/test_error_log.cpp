#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "log/error_log.h"
#include "support/file_size_limit.h"
#include "support/files.h"

using brindle::ErrorLog;
using brindle::testing::fileContents;
using brindle::testing::FileSizeLimit;

namespace {

// As the golden export's log shows it, with this test's program name and version.
const QByteArray kBanner =
    QByteArray("\n" + QByteArray(61, '*') +
               "\nRunning Brindle version: 1.0.3\n\nSearch for '(error)' or '(warning)' to "
               "find logged errors and warnings during the import process.\n\n" +
               QByteArray(61, '*') + "\n\n")
        .replace("\n", "\r\n");

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

    // Steps, split at "|": "open", "append" (open and continue), "close", or a line to write.
    // Markers count in any letter case, once a line, and only from the banner on.
    void writesTheBannerAndCountsEachLine_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("errors");
        QTest::addColumn<int>("warnings");
        QTest::addRow("markers") << QString(
                                        "open|(ERROR) a|(Warning) b|(error) (warning) (error)|error|close")
                                 << kBanner +
                                        "(ERROR) a\r\n(Warning) b\r\n(error) (warning) (error)\r\nerror\r\n"
                                 << 2 << 2;
        QTest::addRow("a new open, closed or not, replaces the previous log")
            << QString("open|(error) first run|close|open|second run|open|close") << kBanner << 0 << 0;
        QTest::addRow("append keeps the previous log")
            << QString("open|(error) first run|close|append|close")
            << kBanner + "(error) first run\r\n" + kBanner << 0 << 0;
        QTest::addRow("counting goes on after closing")
            << QString("open|(error) one|close|(warning) two") << kBanner + "(error) one\r\n"
            << 1 << 1;
    }
    void writesTheBannerAndCountsEachLine() {
        QFETCH(QString, steps);
        QFETCH(QByteArray, content);
        QFETCH(int, errors);
        QFETCH(int, warnings);
        ErrorLog log;
        for (const QString& step : steps.split(u'|')) {
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

    // Whatever is at the log's path that is not a regular file of its own is refused, and
    // nothing it leads to is touched; so is a log that cannot take its banner.
    void reportsAnOpenFailureAndStillCounts_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("reason");
        QTest::addRow("folder missing") << QString("missing") << ": No such file or directory";
        QTest::addRow("symbolic link") << QString("symlink") << ": it is a symbolic link";
        QTest::addRow("dangling symbolic link") << QString("dangling") << ": it is a symbolic link";
        QTest::addRow("hard link") << QString("hardlink") << ": it is a hard link";
        QTest::addRow("named pipe") << QString("fifo") << ": it is not a regular file";
        QTest::addRow("device") << QString("device") << ": it is not a regular file";
        QTest::addRow("no room for the banner") << QString("full") << " is incomplete: File too large";
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
        std::optional<FileSizeLimit> fullDisk;
        if (obstacle == "full") fullDisk.emplace(0);

        ErrorLog log;
        const auto opened = open(log, path);
        QVERIFY(!opened.ok());
        QVERIFY2(opened.error().message.contains(path + reason), qPrintable(opened.error().message));
        QVERIFY(!log.isOpen());
        log.WriteLogLine(QStringLiteral("(error) nowhere to go"));
        QCOMPARE(log.errorCount(), 1);
        QCOMPARE(fileContents(precious), QByteArray("keep\n"));
        QVERIFY(!QFile::exists(m_dir.filePath("not-yet")));
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
