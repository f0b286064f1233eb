// What only a directory server shows, on a PostgreSQL server reached through ODBC (from
// scripts/with-postgres, which sets BRINDLE_TEST_ODBC): bound values, the message store's
// name in the server's own dialect, a lost connection, and ids as the server holds them.
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include "export/catalogue.h"
#include "export/directory/cached_tables.h"
#include "export/directory/directory_connection.h"
#include "export/directory/native_read.h"
#include "export/directory/query_lookup.h"
#include "export/directory/set_lookup.h"
#include "hostbuilder/sample_host.h"
#include "hostbuilder/schema.h"
#include "localize/localizer.h"
#include "support/column_export.h"
#include "support/recordset_compare.h"

using namespace brindle;
using namespace brindle::testing;
using brindle::fixture::HostBuilder;

namespace {

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

}  // namespace

class OdbcDirectoryTest : public QObject {
    Q_OBJECT

private:
    QString m_connectionString;

private slots:
    void initTestCase() {
        m_connectionString = qEnvironmentVariable("BRINDLE_TEST_ODBC");
        if (m_connectionString.isEmpty())
            QSKIP("no PostgreSQL server (run it through scripts/with-postgres)");
        QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", "odbc-fixture");
        db.setDatabaseName(m_connectionString);
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        HostBuilder host;
        host.subscriber("o'brien").set("ObjectID", "o'brien-id");
        host.subscribers()[0].mailbox = QVariantList{qint64(5'000'000'000), QVariant(), 7, 8};
        const auto written = writeOnServer(host);
        QVERIFY2(written.ok(), written.ok() ? "" : qPrintable(written.error().message));
    }

    // The server says what it is; the connection string's text may say anything.
    void joinsTheMessageStoreOverOdbc_data() {
        QTest::addColumn<bool>("perStatement");
        QTest::addRow("per statement, described as a SQL Server copy") << true;
        QTest::addRow("set based, described as a SQL Server copy") << false;
    }
    void joinsTheMessageStoreOverOdbc() {
        QFETCH(bool, perStatement);
        auto connection = DirectoryConnection::openOdbc(m_connectionString + ";Description=SQL Server copy");
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
        QCOMPARE(lookup.mailbox(QVariant())->RecordCount(), 0);
    }

    // Whole views come through the driver's own interface as Qt's driver gives them (a number
    // as a 64-bit one): texts longer than the room bound for them, Nulls, numbers. A column of
    // another kind leaves the statement to QtSql.
    void readsWholeViewsAsQtsDriverDoes_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("native");
        QTest::addRow("texts and numbers") << "SELECT t, n, b, s FROM brindle_values" << true;
        QTest::addRow("a time stamp") << "SELECT t, stamp FROM brindle_values" << false;
    }
    void readsWholeViewsAsQtsDriverDoes() {
        QFETCH(QString, sql);
        QFETCH(bool, native);
        QSqlDatabase db = QSqlDatabase::database("odbc-fixture");
        QSqlQuery query(db);
        for (const char* setup :
             {"DROP TABLE IF EXISTS brindle_values",
              "CREATE TABLE brindle_values (t TEXT, n INTEGER, b BIGINT, s SMALLINT, stamp TIMESTAMP)",
              "INSERT INTO brindle_values VALUES ('short', 1, 5000000000, 2, now()), "
              "(repeat('é', 200), NULL, -1, NULL, NULL), (repeat('x', 5000) || 'end', 0, NULL, 3, NULL), "
              "(NULL, 7, 7, 7, NULL), ('', -2147483648, -9223372036854775808, -32768, NULL)"})
            QVERIFY2(query.exec(setup), qPrintable(query.lastError().text()));
        const NativeRead read = readNatively(db, sql);
        QVERIFY(!read.failure.isValid());
        QCOMPARE(bool(read.rows), native);
        if (!native) return;
        query.setForwardOnly(true);
        QVERIFY(query.exec(sql));
        auto expected = Recordset::fetchAll(query);
        QVERIFY(expected.ok());
        compareRecordsets(*read.rows, *expected, SameTypes::No);
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
        const auto lost = QueryLookup(**connection).rows(views::kSubscriber, QStringLiteral("o'brien-id"));
        QVERIFY(!lost.ok());
        QVERIFY2(lost.error().fatal, qPrintable(lost.error().message));
    }

    // However the server holds and compares ids, both readers export the file and log that the
    // host's own databases, with plain text ids, give. Last: it replaces the server's rows.
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
        HostBuilder host, server;  // the same sample twice: its rows are made as they are written
        fixture::generateSample(host, 40, 1);
        fixture::generateSample(server, 40, 1);
        QStringList entries;
        for (const DataItem& item : dataItems()) entries << Localizer().builtInText(item.labelId);
        ExportSetup setup;
        setup.reader = perStatement ? LookupReader::PerStatement : LookupReader::SetBased;
        // The voice-name copies are the end-to-end test's; here both runs find no recordings.
        setup.installPath = []() -> Result<QString> { return Error{QStringLiteral("no install folder")}; };
        RUN_EXPORT(expected, host, entries, setup);

        if (!subscriberIdType.isEmpty()) server.columnType("vw_Subscriber", "ObjectID", subscriberIdType);
        const auto written = writeOnServer(server);
        QVERIFY2(written.ok(), written.ok() ? "" : qPrintable(written.error().message));
        QSqlQuery changing(QSqlDatabase::database("odbc-fixture"));
        if (!change.isEmpty()) QVERIFY2(changing.exec(change), qPrintable(changing.lastError().text()));
        auto odbc = DirectoryConnection::openOdbc(m_connectionString, !perStatement);
        QVERIFY(odbc.ok());
        setup.directory = odbc->get();
        RUN_EXPORT(actual, host, entries, setup);
        QCOMPARE(actual.lines, expected.lines);
        QCOMPARE(actual.log, expected.log);
    }
};

QTEST_GUILESS_MAIN(OdbcDirectoryTest)
#include "test_odbc_directory.moc"
