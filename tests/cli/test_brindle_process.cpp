// Runs the real program as a process against fixture hosts, as a scheduled job would.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "support/brindle_process.h"

using brindle::fixture::HostBuilder;

using namespace brindle::testing;

class BrindleProcessTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QTemporaryDir m_out;

    QProcessEnvironment environment(const QString& host) const {
        return brindleEnvironment(host, m_home.path());
    }
    ProcessOutcome run(const QString& host, const QStringList& arguments) const {
        return runBrindle(environment(host), arguments);
    }
    QString writeHost(HostBuilder& host, const QString& name) const {
        return brindle::testing::writeHost(host, m_out.filePath(name));
    }

    QString goodHost() const {
        HostBuilder host;
        host.subscriber("jsmith");
        host.subscriber("ann").set("DisplayName", "Lee, \"Ann\"");
        host.subscriber("nocos").set("COSObjectID", QVariant());
        return writeHost(host, "good-host");
    }

private slots:
    void init() { QFile::remove(QDir(m_home.path()).filePath("BrindleErrors.log")); }

    void exportsTheNamedItemsAndSaysWhereTheFilesAre() {
        const QString output = m_out.filePath("named/subscribers.csv");
        const ProcessOutcome outcome = run(goodHost(), {"Alias", "Display Name", "/f:" + output});
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(fileContents(output),
                 QByteArray("ALIAS,DISPLAY_NAME\r\njsmith,Jsmith Tester\r\nann,\"Lee, \"\"Ann\"\"\"\r\n"));
        const QString log = QDir(m_home.path()).filePath("BrindleErrors.log");
        QCOMPARE(outcome.out,
                 QStringLiteral("2 subscriber(s) written to %1, 1 error(s) logged in %2\n").arg(output, log));
        QVERIFY(fileContents(log).contains(
            "Alias=nocos\r\n(error) can't find COS reference for mail user.  Skipping user.\r\n"));
        QVERIFY(outcome.err.isEmpty());
    }

    void exportsEveryItemWhenOnlyThePathIsGiven() {
        const QString output = m_out.filePath("all.csv");
        QCOMPARE(run(goodHost(), {"/f:" + output}).exitCode, 0);
        const QList<QByteArray> lines = fileContents(output).split('\n');
        QCOMPARE(lines.first().count(',') + 1, 62);
        QVERIFY(
            lines.first().startsWith("ALIAS,FIRST_NAME,LAST_NAME,DISPLAY_NAME,PRIMARY_EXTENSION,ALT-EXT_1,"));
        QVERIFY(lines.first().endsWith("VOICE_NAME_WAV_FILE,VOICE_NAME_AS_EXTENSION_WAV_FILE\r"));
    }

    void labelsInsideThePathSelectNothing() {
        const QString output = m_out.filePath("Language/out.csv");
        QCOMPARE(run(goodHost(), {"Alias", "/f:" + output}).exitCode, 0);
        QVERIFY(fileContents(output).startsWith("ALIAS\r\n"));
    }

    void replacesAReadOnlyOutputFile() {
        const QString output = m_out.filePath("readonly.csv");
        QFile old(output);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents\r\n");
        old.close();
        QVERIFY(old.setPermissions(QFileDevice::ReadOwner));
        QCOMPARE(run(goodHost(), {"Alias", "/f:" + output}).exitCode, 0);
        QVERIFY(fileContents(output).startsWith("ALIAS\r\njsmith\r\n"));
    }

    void refusesWithStatusOneAndAReason_data() {
        QTest::addColumn<QString>("hostChange");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::addRow("no path") << ""
                                 << ""
                                 << "/f:";
        QTest::addRow("folder missing two levels") << ""
                                                   << "deep/er/out.csv"
                                                   << "cannot create the output folder";
        QTest::addRow("output cannot be written") << ""
                                                  << "/proc/brindle-out.csv"
                                                  << "cannot write the output file";
        // Refused before the folder is made.
        QTest::addRow("path ends in a slash") << ""
                                              << "new-folder/"
                                              << "names a folder, not a file";
        // Without a home the log would land in the root folder.
        QTest::addRow("HOME unset") << "nohome"
                                    << "home-unset.csv"
                                    << "HOME is not set";
        QTest::addRow("HOME empty") << "emptyhome"
                                    << "home-empty.csv"
                                    << "HOME is not set";
        QTest::addRow("host stopped") << "stopped"
                                      << "x.csv"
                                      << "Halvern must be running.";
        QTest::addRow("older host") << "older"
                                    << "x.csv"
                                    << "only works with Kestrom Pellinor 1.1 and later.";
        QTest::addRow("no database") << "nodb"
                                     << "x.csv"
                                     << "Could not open database.";
    }
    void refusesWithStatusOneAndAReason() {
        QFETCH(QString, hostChange);
        QFETCH(QString, path);
        QFETCH(QString, reason);
        HostBuilder builder;
        builder.subscriber("jsmith");
        if (hostChange == "stopped") builder.status(0);
        if (hostChange == "older") builder.withoutMakerKey().olderKey(0x30001, 0x7B);
        if (hostChange == "nodb") builder.withoutDirectoryDatabase();
        const QString host =
            writeHost(builder, "refused-" + QString(QTest::currentDataTag()).replace(' ', '-'));
        QStringList arguments{"Alias"};
        const QString output =
            path.isEmpty() || path.startsWith('/') ? path : QDir(m_out.filePath("refused")).filePath(path);
        if (!path.isEmpty()) arguments << "/f:" + output;

        QProcessEnvironment environment = this->environment(host);
        if (hostChange == "nohome") environment.remove("HOME");
        if (hostChange == "emptyhome") environment.insert("HOME", "");
        const ProcessOutcome outcome = runBrindle(environment, arguments);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(reason), qPrintable(outcome.err));
        QVERIFY(outcome.out.isEmpty());
        if (!path.isEmpty()) QVERIFY(!QFile::exists(output));
        if (path.startsWith('/')) {
            QVERIFY(fileContents(QDir(m_home.path()).filePath("BrindleErrors.log"))
                        .contains("(error) cannot write the output file"));
        }
    }

    // A byte that is not text in the locale would otherwise turn into U+FFFD: another name.
    void refusesAPathThatIsNotTextInTheLocale() {
        QProcess process;
        process.setProcessEnvironment(environment(goodHost()));
        process.start("/bin/sh", {"-c", R"sh(exec "$0" Alias "$(printf '/f:%s/\377.csv' "$1")")sh",
                                  brindleProgram(), m_out.path()});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY2(process.readAllStandardError().contains("is not valid text in the locale's encoding"),
                 "no message");
        QVERIFY(!QFile::exists(m_out.filePath(QString(QChar::ReplacementCharacter) + ".csv")));
        QCOMPARE(::access((QFile::encodeName(m_out.path()) + "/\377.csv").constData(), F_OK), -1);
    }

    void answersHelpAndVersionWithoutTouchingFiles_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("expected");
        QTest::addRow("--help") << "--help"
                                << "Usage: brindle";
        QTest::addRow("-h") << "-h"
                            << "Usage: brindle";
        QTest::addRow("/?") << "/?"
                            << "Usage: brindle";
        QTest::addRow("--version") << "--version"
                                   << "brindle 1.";
    }
    void answersHelpAndVersionWithoutTouchingFiles() {
        QFETCH(QString, argument);
        QFETCH(QString, expected);
        const ProcessOutcome outcome = run(m_out.filePath("no-such-host"), {argument});
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY(outcome.out.startsWith(expected));
        QVERIFY(QDir(m_home.path()).isEmpty());
    }

    void secondCopyOnTheSameHostEndsAtOnce() {
        const QString host = goodHost();
        QProcess window;
        QProcessEnvironment env = environment(host);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        window.setProcessEnvironment(env);
        window.start(brindleProgram(), {});
        QVERIFY(window.waitForStarted());
        // The window holds the lock once its start-up is through; a slow machine may need a while.
        ProcessOutcome unattended;
        for (int attempt = 0; attempt < 40 && unattended.exitCode != 1; ++attempt) {
            QTest::qWait(250);
            QFile::remove(m_out.filePath("second.csv"));
            unattended = run(host, {"Alias", "/f:" + m_out.filePath("second.csv")});
        }
        QCOMPARE(window.state(), QProcess::Running);
        QCOMPARE(unattended.exitCode, 1);
        QVERIFY2(unattended.err.contains("Another copy"), qPrintable(unattended.err));
        QVERIFY(!QFile::exists(m_out.filePath("second.csv")));

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(brindleProgram(), {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        // Silent: nothing of its own (the platform plugin may still chatter).
        QVERIFY(!second.readAllStandardError().contains("brindle"));
        QCOMPARE(window.state(), QProcess::Running);
        window.kill();
        window.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(BrindleProcessTest)
#include "test_brindle_process.moc"
