// The real program run once from start to end: what it answers, writes and refuses. A refusal
// ends with status 1 and a message, never with a signal or a wait.
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "platform/single_instance.h"
#include "support/brindle_process.h"
#include "support/sample_host_folder.h"

using brindle::fixture::HostBuilder;
using namespace brindle::testing;

class BrindleProcessTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_host;    // three subscribers
    QString m_sample;  // thirty: about 9 KB of output with wide items, a log of a few KB

    QString home() const { return m_dir.filePath("home"); }
    QString logPath() const { return home() + "/BrindleErrors.log"; }
    QString out(const QString& name) const { return m_dir.filePath("out/" + name); }

private slots:
    void initTestCase() {
        HostBuilder host;
        host.subscriber("jsmith");
        host.subscriber("ann");
        host.subscriber("nocos").set("COSObjectID", QVariant());
        m_host = writeHost(host, m_dir.filePath("host"));
        m_sample = writeSampleHost(m_dir.filePath("sample"), 30, 7);
        qunsetenv("XDG_RUNTIME_DIR");  // the lock paths as the program sees them
    }
    void init() {
        QVERIFY(QDir(home()).removeRecursively() && QDir().mkpath(home()));
        QVERIFY(QDir(out("")).removeRecursively() && QDir().mkpath(out("")));
    }

    // `out` is what standard output begins with (%1 the output, %2 the log), empty for nothing.
    void answersTheCommandLine_data() {
        QTest::addColumn<QStringList>("arguments");  // %1 the output
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QByteArray>("file");
        const QString written = "2 subscriber(s) written to %1, 1 error(s) logged in %2\n";
        const QString typo = "brindle: \"Alais\" is part of no data item label (brindle --list shows them)\n";
        const QByteArray alias = "ALIAS\r\njsmith\r\nann\r\n";
        const auto row = [](const char* change, const QStringList& arguments, const QString& out,
                            const QString& err, const QByteArray& file) {
            QTest::addRow("%s", change) << arguments << out << err << file;
        };
        row("/?", {"/?"}, "Usage: brindle", "", "(missing)");
        row("quiet still warns", {"--quiet", "Alais", "Alias", "/f:%1"}, "", typo, alias);
        row("read-only file replaced", {"Alias", "/f:%1"}, written, "", alias);
        row("empty locks left behind", {"Alias", "/f:%1"}, written, "", alias);
        row("garbled locks left behind", {"Alias", "/f:%1"}, written, "", alias);
    }
    void answersTheCommandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QByteArray, file);
        const QString change = QTest::currentDataTag();
        const QString output = this->out("subscribers.csv");
        if (change == "read-only file replaced")
            QVERIFY(writeFile(output, "old\r\n") && QFile::setPermissions(output, QFileDevice::ReadOwner));
        if (change.endsWith("locks left behind")) {
            const QByteArray lock = change.startsWith("empty") ? "" : "\xff\xfe no process id\n";
            QVERIFY(writeFile(brindle::SingleInstance::lockPath(m_host, home()), lock));
            QVERIFY(writeFile(logPath() + ".lock", lock));
        }
        for (QString& argument : arguments) argument = argument.arg(output);
        const ProcessOutcome outcome = runBrindle(brindleEnvironment(m_host, home()), arguments);
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY2(out.isEmpty() ? outcome.out.isEmpty() : outcome.out.startsWith(out.arg(output, logPath())),
                 qPrintable(outcome.out));
        QCOMPARE(outcome.err, err);
        QCOMPARE(fileContents(output), file);
        if (file == "(missing)") QVERIFY(QDir(home()).isEmpty());
    }

    // The row names what is changed about the run. In arguments %1 is the output folder, %2 the
    // log; in the reason %1 is the output folder, %2 the home folder, %3 the host. `log` is
    // what the log holds afterwards; yesterday's output x.csv is kept or gone.
    void refusesWithStatusOneAndAReason_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<bool>("kept");
        const auto row = [](const char* change, const QStringList& arguments, const QString& reason,
                            const QByteArray& log = "(missing)", bool kept = true) {
            QTest::addRow("%s", change) << arguments << reason << log << kept;
        };
        const QStringList to{"Alias", "/f:%1/x.csv"};
        row("no path", {"Alias"}, "no output file");
        row("folder missing two levels", {"/f:%1/a/b/x.csv"}, "cannot create the output folder");
        row("path ends in a slash", {"/f:%1/new/"}, "names a folder, not a file");  // and no folder is made
        // Without a home the log would land in the root folder.
        row("HOME unset", to, "HOME is not set");
        row("HOME empty", to, "HOME is not set");
        row("no database", to, "Could not open database.");
        row("server never answers", to, "Could not open database.");
        row("window without a display", {}, "no display to show the window on; /f:PATH exports");
        row("output is the error log", {"Alias", "/f:%2"}, "is the error log", "yesterday's log\r\n");
        row("log path is a folder", to, "%2");
        row("home folder missing", to, "%2");
        // The output fits one write buffer: it reaches the disk only when it is committed.
        row("output within one write buffer",
            {"Alias", "Display Name", "Caller Input Key Actions", "Greetings Enabled", "/f:%1/x.csv"},
            "cannot write the output file %1/x.csv: File too large", "Alias=", false);
        row("a workbook with a separator", {"--separator=tab", "Alias", "/f:%1/x.xlsx"},
            "are for a delimited file");
        row("log cut short", to, "%2/BrindleErrors.log is incomplete", "Alias=", false);
        // Turned into text and copied, one 100 MB value needs more than the limit leaves.
        row("out of memory", {"Alias", "Display Name", "/f:%1/x.csv"}, "out of memory",
            "(error) out of memory", false);
    }
    void refusesWithStatusOneAndAReason() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        QFETCH(QByteArray, log);
        QFETCH(bool, kept);
        const QString change = QTest::currentDataTag();
        QTemporaryDir own;  // a host of the row's own
        QString host = m_host;
        HostBuilder builder;
        builder.subscriber("jsmith");
        if (change == "no database") host = writeHost(builder.withoutDirectoryDatabase(), own.path());
        if (change == "out of memory") {
#ifdef __SANITIZE_ADDRESS__
            QSKIP("the address sanitizer reserves more address space than any limit leaves");
#endif
            builder.subscriber("huge").set("DisplayName", QString(100'000'000, u'x'));
            host = writeHost(builder, own.path());
        }
        if (change == "output within one write buffer" || change == "log cut short") host = m_sample;
        QProcessEnvironment environment = brindleEnvironment(host, home());
        if (change == "HOME unset") environment.remove("HOME");
        if (change == "HOME empty") environment.insert("HOME", "");
        if (change == "window without a display") environment.remove("QT_QPA_PLATFORM");
        QTcpServer silent;  // takes the connection and never answers
        if (change == "server never answers") {
            QVERIFY(silent.listen(QHostAddress::LocalHost));
            environment.insert(
                "BRINDLE_DIRECTORY",
                QString("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%1;Database=x;Uid=x")
                    .arg(silent.serverPort()));
            environment.insert("BRINDLE_DB_TIMEOUT", "2");
        }
        if (change == "output is the error log") QVERIFY(writeFile(logPath(), "yesterday's log\r\n"));
        if (change == "log path is a folder") QVERIFY(QDir().mkpath(logPath()));
        if (change == "home folder missing") QVERIFY(QDir(home()).removeRecursively());
        std::function<void()> limit;
        if (change == "output within one write buffer") limit = fileSizeLimit(4096);
        if (change == "log cut short")
            limit = fileSizeLimit(600);  // past the banner and the output, not the log
        if (change == "out of memory")
            limit = [] {
                rlimit memory{};
                ::getrlimit(RLIMIT_AS, &memory);
                memory.rlim_cur = 800'000'000;
                ::setrlimit(RLIMIT_AS, &memory);
            };
        QVERIFY(writeFile(out("x.csv"), "yesterday\r\n"));

        const QString folder = m_dir.filePath("out");
        for (QString& argument : arguments) argument.replace("%1", folder).replace("%2", logPath());
        QElapsedTimer timer;
        timer.start();
        const ProcessOutcome outcome = runBrindle(environment, arguments, limit);
        QVERIFY2(timer.elapsed() < 20000, "the program waited");
        QCOMPARE(outcome.exitStatus, QProcess::NormalExit);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(reason.replace("%1", folder).replace("%2", home()).replace("%3", host)),
                 qPrintable(outcome.err));
        QCOMPARE(outcome.out, QString());
        if (change == "server never answers") QVERIFY(silent.waitForNewConnection(0));
        QVERIFY2(fileContents(logPath()).contains(log), fileContents(logPath()).right(200).constData());
        QCOMPARE(QDir(out("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 kept ? QStringList{"x.csv"} : QStringList{});
        if (kept) QCOMPARE(fileContents(out("x.csv")), QByteArray("yesterday\r\n"));
    }

    // The file's bytes as each choice makes them, for names a spreadsheet must not garble; the
    // JSON summary's counts are the log's.
    void writesTheBytesEachChoiceAsks_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("warning");  // under Alias=lukasz; empty: none
        const QByteArray utf8 =
            "FIRST_NAME,LAST_NAME\r\n\xE2\x82\xACva,M\xC3\xBCller\r\nJan,\xC5\x81ukasz\r\n";
        QTest::addRow("UTF-8") << QStringList{} << utf8 << "";
        QTest::addRow("UTF-8 with its mark")
            << QStringList{"--encoding=utf-8-bom"} << "\xEF\xBB\xBF" + utf8 << "";
        QTest::addRow("Windows-1252")
            << QStringList{"--encoding=windows-1252"}
            << QByteArray("FIRST_NAME,LAST_NAME\r\n\x80va,M\xFCller\r\nJan,?ukasz\r\n")
            << "(warning) characters that Windows-1252 lacks were written as \"?\" in LAST_NAME";
        QTest::addRow("semicolons, ISO dates, a JSON summary")
            << QStringList{"--separator=semicolon", "--dates=iso", "--summary=json", "Display Name",
                           "Time of Last Call"}
            << QByteArray(
                   "FIRST_NAME;LAST_NAME;DISPLAY_NAME;TIME_OF_LAST_CALL\r\n\xE2\x82\xACva;M\xC3\xBCller;"
                   "\"M\xC3\xBCller; \xE2\x82\xACva\";2026-11-30 14:30:00\r\nJan;\xC5\x81ukasz;Jan;none\r\n")
            << "";
    }
    void writesTheBytesEachChoiceAsks() {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, file);
        QFETCH(QString, warning);
        HostBuilder builder;
        builder.subscriber("mueller")
            .set("FirstName", "€va")
            .set("LastName", "Müller")
            .set("DisplayName", "Müller; €va")
            .set("TimeLastCall", "2026-11-30 14:30:00");
        builder.subscriber("lukasz")
            .set("FirstName", "Jan")
            .set("LastName", "Łukasz")
            .set("DisplayName", "Jan")
            .set("TimeLastCall", QVariant());
        QTemporaryDir own;
        QProcessEnvironment environment = brindleEnvironment(writeHost(builder, own.path()), home());
        environment.insert("TZ", "UTC0");
        const QString output = out("names.csv");
        const ProcessOutcome outcome =
            runBrindle(environment, options + QStringList{"First Name", "Last Name", "/f:" + output});
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(fileContents(output), file);
        const QByteArray log = fileContents(logPath());
        const QByteArray lukasz = log.mid(log.indexOf("Alias=lukasz"));
        QCOMPARE(lukasz.contains("(warning)"), !warning.isEmpty());
        if (!warning.isEmpty()) QVERIFY2(lukasz.contains(warning.toUtf8() + "\r\n"), lukasz.constData());
        if (!options.contains("--summary=json")) return;
        const QJsonObject summary = QJsonDocument::fromJson(outcome.out.toUtf8()).object();
        QCOMPARE(summary.value("output").toString(), output);
        QCOMPARE(summary.value("subscribers").toInt(), 2);
        QCOMPARE(summary.value("errors").toInt(), log.count("(error)") - 1);  // the banner names it once
        QCOMPARE(summary.value("warnings").toInt(), log.count("(warning)") - 1);
        QCOMPARE(summary.value("exit_status").toInt(), 0);
        QVERIFY(!summary.contains("message"));
    }

    // The workbook of a host holds, each as a text cell, what its delimited file holds.
    void aWorkbookHoldsTheDelimitedFilesFields() {
        QStringList everything;
        for (QString label : runBrindle(brindleEnvironment(m_sample, home()), {"--list"}).out.split('\n'))
            if (!label.isEmpty()) everything << label;
        for (const char* name : {"all.csv", "all.xlsx"})
            QCOMPARE(
                runBrindle(brindleEnvironment(m_sample, home()), everything + QStringList{"/f:" + out(name)})
                    .exitCode,
                0);
        const ProcessOutcome compared = runProcess(
            "/usr/bin/python3", {QStringLiteral(BRINDLE_SAME_ROWS), out("all.csv"), out("all.xlsx")});
        QVERIFY2(compared.out == "same\n", qPrintable(compared.out + compared.err));
        // A refused run still gets the summary it asked for.
        const ProcessOutcome refused =
            runBrindle(brindleEnvironment(m_sample, home()),
                       {"--summary=json", "--quotes=always", "/f:" + out("all.xlsx")});
        const QJsonObject summary = QJsonDocument::fromJson(refused.out.toUtf8()).object();
        QCOMPARE(summary.value("exit_status").toInt(), refused.exitCode);
        QVERIFY(refused.exitCode == 1 &&
                summary.value("message").toString().contains("are for a delimited file"));
    }

    // A byte that is not text in the locale would otherwise turn into U+FFFD: another name.
    void refusesAPathThatIsNotTextInTheLocale() {
        const ProcessOutcome outcome = runProcess(
            "/bin/sh",
            {"-c", R"sh(exec "$0" Alias "$(printf '/f:%s/\377.csv' "$1")")sh", brindleProgram(), out("")},
            brindleEnvironment(m_host, home()));
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains("is not valid text in the locale's encoding"), qPrintable(outcome.err));
        QCOMPARE(QDir(out("")).entryList(QDir::Files), QStringList());
        QCOMPARE(::access((QFile::encodeName(out("")) + "/\377.csv").constData(), F_OK), -1);
    }
};

QTEST_GUILESS_MAIN(BrindleProcessTest)
#include "test_brindle_process.moc"
