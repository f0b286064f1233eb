// The same fixture, once in SQLite and once in a PostgreSQL server reached through ODBC,
// must give the same cached tables, look-ups and export. The server comes from
// scripts/with-postgres, which sets BRINDLE_TEST_ODBC.
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "export/catalogue.h"
#include "export/directory/cached_tables.h"
#include "export/directory/directory_connection.h"
#include "export/directory/query_lookup.h"
#include "export/directory/set_lookup.h"
#include "export/export_run.h"
#include "hostbuilder/host_builder.h"
#include "hostbuilder/sample_host.h"
#include "hostbuilder/schema.h"
#include "localize/localizer.h"

using namespace brindle;
using brindle::fixture::HostBuilder;

namespace {

class NoObserver final : public RunObserver {
public:
    void progressed(int) override {}
    std::optional<QString> stopRequested() override { return std::nullopt; }
};

HostBuilder fixtureHost() {
    HostBuilder host;
    host.subscriber("jsmith").alternateExtensions({"2001", "2002"});
    host.subscriber("o'brien")
        .set("ObjectID", "o'brien-id")
        .set("BillingID", QVariant())
        .set("FirstName", "");
    host.subscriber("skipped").set("COSObjectID", QVariant());
    host.subscriber("noswitch").set("MediaSwitchObjectID", "missing").set("Language", 33801).mailbox.reset();
    host.subscribers()[1].mailbox = QVariantList{qint64(5'000'000'000), QVariant(), 7, 8};
    return host;
}

// Replaces the server's tables with the host's rows.
Result<void> writeOnServer(const HostBuilder& host) {
    QSqlDatabase db = QSqlDatabase::database("odbc-fixture");
    QSqlQuery query(db);
    if (!query.exec("CREATE SCHEMA IF NOT EXISTS HalvernMbxDB1")) return Error{query.lastError().text()};
    for (const auto& table : fixture::tables()) {
        const QString name = table.messageStore ? "HalvernMbxDB1." + table.name : table.name;
        if (!query.exec("DROP TABLE IF EXISTS " + name)) return Error{query.lastError().text()};
    }
    return host.writeDatabases(db, db, "HalvernMbxDB1.");
}

struct Exported {
    QByteArray file;
    QByteArray log;
};

Exported exportOf(CachedTables& tables, DirectoryLookup& lookup, const QString& folder) {
    Localizer strings;
    ExportOptions options;
    options.outputPath = folder + "/out.csv";
    for (const DataItem& item : dataItems()) options.selectedEntries << strings.builtInText(item.labelId);
    ExportRun run({tables, lookup, strings, folder + "/log.txt", "brindle"}, options);
    NoObserver observer;
    if (!run.run(observer)) return {};
    QFile file(options.outputPath);
    QFile log(folder + "/log.txt");
    file.open(QIODevice::ReadOnly);
    log.open(QIODevice::ReadOnly);
    return {file.readAll(), log.readAll()};
}

Exported exportOfSqlite(const HostBuilder& host, const QString& folder) {
    if (!host.write(folder).ok()) return {};
    auto sqlite = DirectoryConnection::openSqlite(folder + "/HalvernDirDB.db", folder + "/HalvernMbxDB1.db");
    CachedTables tables;
    if (!sqlite.ok() || !tables.OpenDirectoryTables(**sqlite).ok()) return {};
    SetLookup lookup(**sqlite, tables);
    return exportOf(tables, lookup, folder);
}

}  // namespace

class OdbcDirectoryTest : public QObject {
    Q_OBJECT

private:
    QString m_connectionString;

private slots:
    void initTestCase() {
        m_connectionString = qEnvironmentVariable("BRINDLE_TEST_ODBC");
        if (m_connectionString.isEmpty()) {
            QSKIP(
                "BRINDLE_TEST_ODBC is not set: no PostgreSQL server for the ODBC test (run it through "
                "scripts/test or scripts/with-postgres)");
        }
        QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", "odbc-fixture");
        db.setDatabaseName(m_connectionString);
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        const auto written = writeOnServer(fixtureHost());
        QVERIFY2(written.ok(), written.ok() ? "" : qPrintable(written.error().message));
    }

    void cachesTheSameTablesOverOdbc() {
        auto connection = DirectoryConnection::openOdbc(m_connectionString);
        QVERIFY2(connection.ok(), connection.ok() ? "" : qPrintable(connection.error().message));
        CachedTables tables;
        QVERIFY(tables.OpenDirectoryTables(**connection).ok());
        QCOMPARE(tables.subscribers().RecordCount(), 4);
        Recordset& subscribers = tables.subscribers();
        subscribers.MoveFirst();
        QVERIFY(subscribers.Find(u"ObjectID", QStringLiteral("o'brien-id")));
        QVERIFY(subscribers.value(u"BillingID").value().isNull());
        const QVariant empty = subscribers.value(u"FirstName").value();
        QVERIFY(!empty.isNull());
        QCOMPARE(empty.toString(), QString());
        const auto count = (*connection)->select("SELECT COUNT(*) FROM vw_Subscriber");
        QVERIFY(count.ok());
        QCOMPARE(count->value(count->fieldNames().first()).value().toInt(), 4);
    }

    void bindsLookUpValuesOverOdbc() {
        auto connection = DirectoryConnection::openOdbc(m_connectionString);
        QVERIFY(connection.ok());
        QueryLookup lookup(**connection);
        QCOMPARE(lookup.rows(views::kExtensionsOfSubscriber, QStringLiteral("o'brien-id"))->RecordCount(), 1);
        QCOMPARE(lookup.rows(views::kExtensionsOfSubscriber, QStringLiteral("x' OR '1'='1"))->RecordCount(),
                 0);
    }

    void joinsTheMessageStoreOverOdbc_data() {
        QTest::addColumn<bool>("perStatement");
        QTest::addColumn<QString>("moreSettings");
        for (bool perStatement : {true, false}) {
            const char* reader = perStatement ? "per statement" : "set based";
            QTest::addRow("%s", reader) << perStatement << QString();
            // The server says what it is; the string's text may say anything.
            QTest::addRow("%s, described as a SQL Server copy", reader)
                << perStatement << ";Description=SQL Server copy";
        }
    }
    void joinsTheMessageStoreOverOdbc() {
        QFETCH(bool, perStatement);
        QFETCH(QString, moreSettings);
        auto connection = DirectoryConnection::openOdbc(m_connectionString + moreSettings);
        QVERIFY(connection.ok());
        CachedTables tables;
        QVERIFY(tables.OpenDirectoryTables(**connection).ok());
        QueryLookup statements(**connection);
        SetLookup sets(**connection, tables);
        DirectoryLookup& lookup = perStatement ? static_cast<DirectoryLookup&>(statements) : sets;
        auto mailbox = lookup.mailbox(QStringLiteral("o'brien-id"));
        QVERIFY2(mailbox.ok(), mailbox.ok() ? "" : qPrintable(mailbox.error().message));
        QCOMPARE(mailbox->RecordCount(), 1);
        mailbox->MoveFirst();
        QCOMPARE(mailbox->value(u"Bytesize")->toLongLong(), 5'000'000'000);
        QVERIFY(mailbox->value(u"Send")->isNull());
        QCOMPARE(mailbox->value(u"Warning")->toInt(), 8);
        QCOMPARE(lookup.mailbox(QStringLiteral("x' OR '1'='1"))->RecordCount(), 0);
        QCOMPARE(lookup.mailbox(QVariant())->RecordCount(), 0);
    }

    // A statement the server refuses is one column's failure; a connection that is gone is the
    // directory's, and a run stops on it.
    void tellsALostConnectionFromAFailedStatement() {
        auto connection = DirectoryConnection::openOdbc(m_connectionString);
        QVERIFY(connection.ok());
        const auto missing = (*connection)->select("SELECT * FROM brindle_no_such_view");
        QVERIFY(!missing.ok());
        QVERIFY(!missing.error().fatal);
        const auto backend = (*connection)->select("SELECT pg_backend_pid()");
        QVERIFY(backend.ok());
        QSqlQuery terminate(QSqlDatabase::database("odbc-fixture"));
        QVERIFY(terminate.prepare("SELECT pg_terminate_backend(?)"));
        terminate.addBindValue(backend->value(backend->fieldNames().first()).value());
        QVERIFY2(terminate.exec(), qPrintable(terminate.lastError().text()));
        QueryLookup lookup(**connection);
        const auto lost = lookup.rows(views::kSubscriber, QStringLiteral("o'brien-id"));
        QVERIFY(!lost.ok());
        QVERIFY2(lost.error().fatal, qPrintable(lost.error().message));
    }

    void programExportsThroughTheConnectionString() {
        QTemporaryDir folder;
        HostBuilder host;
        host.withoutDirectoryDatabase();
        QVERIFY(host.write(folder.filePath("host")).ok());
        QProcess brindle;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("BRINDLE_HOST", folder.filePath("host"));
        env.insert("BRINDLE_DIRECTORY", m_connectionString);
        env.insert("HOME", folder.path());
        brindle.setProcessEnvironment(env);
        brindle.start(qEnvironmentVariable("BRINDLE_BIN_DIR") + "/brindle",
                      {"Alias", "/f:" + folder.filePath("out.csv")});
        QVERIFY(brindle.waitForFinished(60000));
        QCOMPARE(brindle.exitCode(), 0);
        QFile output(folder.filePath("out.csv"));
        QVERIFY(output.open(QIODevice::ReadOnly));
        QCOMPARE(output.readAll(), QByteArray("ALIAS\r\njsmith\r\no'brien\r\nnoswitch\r\n"));
    }

    void exportsTheSameFileAsTheSqliteHost() {
        QTemporaryDir sqliteFolder;
        const QByteArray expected = exportOfSqlite(fixtureHost(), sqliteFolder.path()).file;

        auto odbc = DirectoryConnection::openOdbc(m_connectionString);
        QVERIFY(odbc.ok());
        CachedTables odbcTables;
        QVERIFY(odbcTables.OpenDirectoryTables(**odbc).ok());
        SetLookup lookup(**odbc, odbcTables);
        QTemporaryDir odbcFolder;
        const QByteArray actual = exportOf(odbcTables, lookup, odbcFolder.path()).file;
        QVERIFY(!expected.isEmpty());
        QVERIFY(expected.contains("\r\no'brien,,Tester,"));
        QVERIFY(expected.contains(" 5000000000,0, 7, 8"));
        QCOMPARE(actual, expected);
    }

    // However the server holds and compares ids, both readers export the file and log that the
    // SQLite host with plain text ids gives.
    void exportsTheSameWhateverTheServerMakesOfIds_data() {
        QTest::addColumn<bool>("perStatement");
        QTest::addColumn<QString>("subscriberIdType");
        QTest::addColumn<QString>("change");  // made on the server's copy once it is written
        for (bool perStatement : {true, false}) {
            const char* reader = perStatement ? "per statement" : "set based";
            // The driver gives a uuid back in capitals; every reference to it is text.
            QTest::addRow("%s, subscriber ids of type uuid", reader) << perStatement << "uuid" << QString();
            QTest::addRow("%s, call handler ids in capitals", reader)
                << perStatement << QString() << "UPDATE vw_CallHandler SET ObjectID = UPPER(ObjectID)";
        }
    }
    void exportsTheSameWhateverTheServerMakesOfIds() {
        QFETCH(bool, perStatement);
        QFETCH(QString, subscriberIdType);
        QFETCH(QString, change);
        const auto restore = qScopeGuard([] { QVERIFY(writeOnServer(fixtureHost()).ok()); });
        const auto sample = [] {
            HostBuilder host;
            fixture::generateSample(host, 40, 1);
            return host;
        };
        QTemporaryDir sqliteFolder;
        const Exported expected = exportOfSqlite(sample(), sqliteFolder.path());

        HostBuilder server = sample();
        if (!subscriberIdType.isEmpty()) server.columnType("vw_Subscriber", "ObjectID", subscriberIdType);
        const auto written = writeOnServer(server);
        QVERIFY2(written.ok(), written.ok() ? "" : qPrintable(written.error().message));
        QSqlQuery changing(QSqlDatabase::database("odbc-fixture"));
        if (!change.isEmpty()) QVERIFY2(changing.exec(change), qPrintable(changing.lastError().text()));
        auto odbc = DirectoryConnection::openOdbc(m_connectionString, !perStatement);
        QVERIFY(odbc.ok());
        CachedTables tables;
        QVERIFY(tables.OpenDirectoryTables(**odbc).ok());
        QueryLookup statements(**odbc);
        SetLookup sets(**odbc, tables);
        QTemporaryDir odbcFolder;
        const Exported actual = exportOf(
            tables, perStatement ? static_cast<DirectoryLookup&>(statements) : sets, odbcFolder.path());
        QVERIFY(expected.file.contains("Ring phone for: "));
        QCOMPARE(actual.file, expected.file);
        QCOMPARE(actual.log, expected.log);
    }
};

QTEST_GUILESS_MAIN(OdbcDirectoryTest)
#include "test_odbc_directory.moc"
