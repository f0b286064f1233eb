#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "log/error_log.h"
#include "support/file_size_limit.h"

using brindle::ErrorLog;
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

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
    return file.readAll();
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

    void writesTheBannerByteForByte() {
        ErrorLog log;
        QVERIFY(log.OpenErrorLog(m_path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3")).ok());
        QVERIFY(log.isOpen());
        log.CloseErrorLog();
        QCOMPARE(contentsOf(m_path), kBanner);
    }

    void startsCountingAfterTheBanner() {
        ErrorLog log;
        QVERIFY(log.OpenErrorLog(m_path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3")).ok());
        QCOMPARE(log.errorCount(), 0);
        QCOMPARE(log.warningCount(), 0);
    }

    void countsMarkersInAnyCase_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("errors");
        QTest::addColumn<int>("warnings");
        QTest::addRow("error") << "(error) can't find COS reference for mail user.  Skipping user." << 1 << 0;
        QTest::addRow("capitals") << "(ERROR) in export." << 1 << 0;
        QTest::addRow("mixed case warning") << "a (Warning) here" << 0 << 1;
        QTest::addRow("both markers") << "(error) and (warning)" << 1 << 1;
        QTest::addRow("marker twice counts once") << "(error) (error)" << 1 << 0;
        QTest::addRow("no parentheses") << "error and warning" << 0 << 0;
        QTest::addRow("marker line") << "\r\nAlias=jsmith" << 0 << 0;
    }
    void countsMarkersInAnyCase() {
        QFETCH(QString, text);
        QFETCH(int, errors);
        QFETCH(int, warnings);
        ErrorLog log;
        QVERIFY(log.OpenErrorLog(m_path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3")).ok());
        log.WriteLogLine(text);
        QCOMPARE(log.errorCount(), errors);
        QCOMPARE(log.warningCount(), warnings);
    }

    void countsPast32767() {
        ErrorLog log;
        QVERIFY(log.OpenErrorLog(m_path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3")).ok());
        for (int i = 0; i < 40000; ++i) log.WriteLogLine(QStringLiteral("(error) x"));
        log.WriteLogLine(QStringLiteral("(warning) y"));
        QCOMPARE(log.errorCount(), 40000);
        QCOMPARE(log.warningCount(), 1);
        log.CloseErrorLog();
        QCOMPARE(contentsOf(m_path).count("(error) x\r\n"), 40000);
    }

    void writesEmbeddedLineEndsAsTheyAre() {
        ErrorLog log;
        QVERIFY(log.OpenErrorLog(m_path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3")).ok());
        log.WriteLogLine(QStringLiteral("\r\nAlias=x"));
        log.CloseErrorLog();
        QCOMPARE(contentsOf(m_path), kBanner + "\r\nAlias=x\r\n");
    }

    void writesTextInTheLocaleEncoding() {
        ErrorLog log;
        QVERIFY(log.OpenErrorLog(m_path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3")).ok());
        const QString alias = QStringLiteral("Alias=Zo\u00eb");
        log.WriteLogLine(alias);
        log.CloseErrorLog();
        QCOMPARE(contentsOf(m_path), kBanner + alias.toLocal8Bit() + "\r\n");
    }

    void newOpenReplacesThePreviousLog() {
        ErrorLog log;
        QVERIFY(log.OpenErrorLog(m_path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3")).ok());
        log.WriteLogLine(QStringLiteral("(error) first run"));
        log.CloseErrorLog();
        QVERIFY(log.OpenErrorLog(m_path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3")).ok());
        QCOMPARE(log.errorCount(), 0);
        log.WriteLogLine(QStringLiteral("second run"));
        log.CloseErrorLog();
        QCOMPARE(contentsOf(m_path), kBanner + "second run\r\n");
    }

    void reopeningWithoutClosingReplacesToo() {
        ErrorLog log;
        QVERIFY(log.OpenErrorLog(m_path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3")).ok());
        log.WriteLogLine(QStringLiteral("first run"));
        QVERIFY(log.OpenErrorLog(m_path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3")).ok());
        log.CloseErrorLog();
        QCOMPARE(contentsOf(m_path), kBanner);
    }

    void appendModeKeepsThePreviousLog() {
        ErrorLog log;
        QVERIFY(log.OpenErrorLog(m_path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3")).ok());
        log.WriteLogLine(QStringLiteral("(error) first run"));
        log.CloseErrorLog();
        QVERIFY(log.OpenErrorLog(m_path, true, QStringLiteral("Brindle"), QStringLiteral("1.0.3")).ok());
        QCOMPARE(log.errorCount(), 0);
        log.CloseErrorLog();
        QCOMPARE(contentsOf(m_path), kBanner + "(error) first run\r\n" + kBanner);
    }

    void countsKeepTheirValuesAfterClosing() {
        ErrorLog log;
        QVERIFY(log.OpenErrorLog(m_path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3")).ok());
        log.WriteLogLine(QStringLiteral("(error) one"));
        log.CloseErrorLog();
        log.WriteLogLine(QStringLiteral("(error) two, while closed"));
        QVERIFY(!log.isOpen());
        QCOMPARE(log.errorCount(), 2);
        QCOMPARE(contentsOf(m_path), kBanner + "(error) one\r\n");
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
        QFile file(precious);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep\n") == 5);
        file.close();
        QString path = m_path;
        if (obstacle == "missing") path = m_dir.filePath(QStringLiteral("no such folder/BrindleErrors.log"));
        if (obstacle == "symlink") QVERIFY(QFile::link(precious, path));
        if (obstacle == "dangling") QVERIFY(QFile::link(m_dir.filePath("not-yet"), path));
        if (obstacle == "hardlink") QCOMPARE(::link(qPrintable(precious), qPrintable(path)), 0);
        if (obstacle == "fifo") QCOMPARE(::mkfifo(qPrintable(path), 0600), 0);
        if (obstacle == "device") path = QStringLiteral("/dev/full");

        ErrorLog log;
        const auto opened = log.OpenErrorLog(path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3"));
        QVERIFY(!opened.ok());
        QVERIFY2(opened.error().message.contains(path + ": " + reason), qPrintable(opened.error().message));
        QVERIFY(!log.isOpen());
        log.WriteLogLine(QStringLiteral("(error) nowhere to go"));
        QCOMPARE(log.errorCount(), 1);
        QCOMPARE(contentsOf(precious), QByteArray("keep\n"));
        QVERIFY(!QFile::exists(m_dir.filePath("not-yet")));
    }

    void aLogThatCannotTakeItsBannerIsNotOpened() {
        ErrorLog log;
        const FileSizeLimit fullDisk(0);
        const auto opened =
            log.OpenErrorLog(m_path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3"));
        QVERIFY(!opened.ok());
        QVERIFY2(opened.error().message.contains(m_path + " is incomplete: File too large"),
                 qPrintable(opened.error().message));
        QVERIFY(!log.isOpen());
    }

    void aLineLostOnAFullDiskMakesTheLogIncomplete() {
        ErrorLog log;
        QVERIFY(log.OpenErrorLog(m_path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3")).ok());
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
