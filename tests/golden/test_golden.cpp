// The whole export of a small sample host with every item, byte for byte against the files in
// tests/golden/expected: the output, the voice-name copies with their sizes, and the log. With
// BRINDLE_GOLDEN_UPDATE=1 (scripts/golden-update) the first run of each set writes its files
// instead, and the other runs are compared with what it wrote.
#include <QDir>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "hostbuilder/host_builder.h"
#include "hostbuilder/sample_host.h"
#include "support/brindle_process.h"

using namespace brindle::testing;

namespace {

constexpr int kSubscribers = 100;
constexpr quint32 kSeed = 19;
// A run shifts every stored time by the offset in force while it runs, so a zone with daylight
// saving would export other bytes in summer; half an hour shows minutes shifted too.
constexpr const char* kTimeZone = "<+0530>-5:30";

// Every file in `folder` but the output, as "NAME SIZE" lines in name order.
QByteArray copiesList(const QString& folder, const QString& outputName) {
    QStringList lines;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        if (file.fileName() != outputName) lines << file.fileName() + u' ' + QString::number(file.size());
    }
    std::sort(lines.begin(), lines.end());
    return lines.join(u'\n').toUtf8() + '\n';
}

// The host's directory and message store on the test's own, empty server.
brindle::Result<void> writeOnServer(const brindle::fixture::HostBuilder& host,
                                    const QString& connectionString) {
    QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", "golden");
    db.setDatabaseName(connectionString);
    if (!db.open()) return brindle::Error{db.lastError().text()};
    QSqlQuery query(db);
    if (!query.exec("CREATE SCHEMA HalvernMbxDB1")) return brindle::Error{query.lastError().text()};
    return host.writeDatabases(db, db, "HalvernMbxDB1.");
}

}  // namespace

class GoldenTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString m_host;
    QString m_server;  // an ODBC connection string to the same host, when there is a server
    QStringList m_labels;
    QSet<QString> m_written;

private slots:
    void initTestCase() {
        // The program's own sample host maker writes the host folder the export reads.
        m_host = m_folder.filePath("host");
        const ProcessOutcome made = runProcess(
            qEnvironmentVariable("BRINDLE_BIN_DIR") + "/brindle-demo-host",
            {m_host, "--subscribers", QString::number(kSubscribers), "--seed", QString::number(kSeed)});
        QVERIFY2(made.exitCode == 0, qPrintable(made.err));
        m_server = qEnvironmentVariable("BRINDLE_TEST_ODBC");
        if (!m_server.isEmpty()) {
            brindle::fixture::HostBuilder sample;
            brindle::fixture::generateSample(sample, kSubscribers, kSeed);
            const auto written = writeOnServer(sample, m_server);
            QVERIFY2(written.ok(), written.ok() ? "" : qPrintable(written.error().message));
        }
        const ProcessOutcome list = runBrindle(brindleEnvironment(m_host, m_folder.path()), {"--list"});
        m_labels = list.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(m_labels.size(), 31);
    }

    void exportsTheExpectedBytes_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("expected");  // the folder of the expected files
        QTest::addColumn<QString>("lookups");   // BRINDLE_LOOKUPS, unset when empty
        QTest::addColumn<bool>("odbc");
        const std::pair<const char*, QStringList> sets[] = {
            {"default", {}},
            {"tab-always", {"--separator=tab", "--quotes=always"}},
            {"linefeed-never", {"--separator=linefeed", "--quotes=never"}}};
        for (const bool odbc : {false, true}) {
            for (const char* lookups : {"", "per-statement"}) {
                for (const auto& [name, options] : sets) {
                    QTest::addRow("%s, %s, %s", odbc ? "ODBC" : "SQLite", *lookups ? lookups : "set-based",
                                  name)
                        << options << QString::fromLatin1(name) << QString::fromLatin1(lookups) << odbc;
                }
            }
        }
    }
    void exportsTheExpectedBytes() {
        QFETCH(QStringList, options);
        QFETCH(QString, expected);
        QFETCH(QString, lookups);
        QFETCH(bool, odbc);
        if (odbc && m_server.isEmpty())
            QSKIP(
                "no PostgreSQL server: BRINDLE_TEST_ODBC is not set (scripts/with-postgres sets it where "
                "PostgreSQL is installed)");
        QTemporaryDir run;
        QProcessEnvironment environment = brindleEnvironment(m_host, run.path());
        environment.insert("TZ", kTimeZone);
        environment.insert("LC_ALL", "C.UTF-8");
        environment.remove("LANGUAGE");
        if (lookups.isEmpty())
            environment.remove("BRINDLE_LOOKUPS");
        else
            environment.insert("BRINDLE_LOOKUPS", lookups);
        if (odbc) environment.insert("BRINDLE_DIRECTORY", m_server);
        const QString output = run.filePath("out/subscribers.csv");
        const ProcessOutcome outcome =
            runBrindle(environment, options + m_labels + QStringList{"/f:" + output});
        QVERIFY2(outcome.exitStatus == QProcess::NormalExit && outcome.exitCode == 0,
                 qPrintable(outcome.err));

        const std::pair<const char*, QByteArray> files[] = {
            {"subscribers.csv", fileContents(output)},
            {"copies.txt", copiesList(run.filePath("out"), "subscribers.csv")},
            {"log.txt", fileContents(run.filePath("BrindleErrors.log"))}};
        const QDir folder(QStringLiteral(BRINDLE_GOLDEN_DIR "/") + expected);
        for (const auto& [name, bytes] : files) {
            const QString path = folder.filePath(name);
            if (qEnvironmentVariableIntValue("BRINDLE_GOLDEN_UPDATE") == 1 && !m_written.contains(path)) {
                QFile file(path);
                QVERIFY(QDir().mkpath(folder.path()) && file.open(QIODevice::WriteOnly));
                QCOMPARE(file.write(bytes), bytes.size());
                m_written << path;
                continue;
            }
            // Line by line, so that a difference is shown with its line number; scripts/golden-update
            // and git diff show all of it.
            QCOMPARE(bytes.split('\n'), fileContents(path).split('\n'));
        }
    }
};

QTEST_GUILESS_MAIN(GoldenTest)
#include "test_golden.moc"
