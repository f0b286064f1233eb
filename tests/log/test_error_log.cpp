#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "log/error_log.h"

using brindle::ErrorLog;

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

    void reportsAnOpenFailureAndStillCounts() {
        ErrorLog log;
        const QString path = m_dir.filePath(QStringLiteral("no such folder/BrindleErrors.log"));
        const auto opened = log.OpenErrorLog(path, false, QStringLiteral("Brindle"), QStringLiteral("1.0.3"));
        QVERIFY(!opened.ok());
        QVERIFY2(opened.error().message.contains(path), qPrintable(opened.error().message));
        QVERIFY(!log.isOpen());
        QCOMPARE(log.errorCount(), 0);
        log.WriteLogLine(QStringLiteral("(error) nowhere to go"));
        QCOMPARE(log.errorCount(), 1);
        QVERIFY(!QFile::exists(path));
    }

    void aLogThatCannotTakeItsBannerIsNotOpened() {
        // /dev/full opens like any file and fails every write, as a full disk does.
        ErrorLog log;
        const auto opened =
            log.OpenErrorLog("/dev/full", false, QStringLiteral("Brindle"), QStringLiteral("1.0.3"));
        QVERIFY(!opened.ok());
        QVERIFY2(opened.error().message.contains("/dev/full is incomplete"),
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
            rlimit original{};
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &original), 0);
            const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = original;
            small.rlim_cur = static_cast<rlim_t>(QFileInfo(m_path).size() + 5);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            log.WriteLogLine(QStringLiteral("Alias=second, too long to fit"));
            log.CloseErrorLog();
            setrlimit(RLIMIT_FSIZE, &original);
            std::signal(SIGXFSZ, previousHandler);
        }
        const auto whole = log.whole();
        QVERIFY(!whole.ok());
        QVERIFY2(whole.error().message.contains(m_path + " is incomplete"),
                 qPrintable(whole.error().message));
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(ErrorLogTest)
#include "test_error_log.moc"
