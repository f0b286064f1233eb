#include <QTemporaryDir>
#include <QTest>

#include "export/directory/make_lookup.h"
#include "export/directory/recordset.h"
#include "hostbuilder/host_builder.h"
#include "support/column_export.h"
#include "support/run_config.h"

using namespace brindle;
using namespace brindle::testing;
using brindle::fixture::HostBuilder;

// Opens the host, failing the test where it cannot.
#define OPEN_HOST(opened, host, openTables)                                                 \
    auto opened##Result = openHost(host, openTables);                                       \
    QVERIFY2(opened##Result.ok(),                                                           \
             qPrintable(opened##Result.ok() ? QString() : opened##Result.error().message)); \
    OpenedHost& opened = *opened##Result.value()

class DirectoryTest : public QObject {
    Q_OBJECT

private slots:
    void opensTablesOnceAndFindsRows() {
        HostBuilder host;
        host.subscriber("jsmith");
        host.subscriber("akim");
        OPEN_HOST(opened, host, true);
        CachedTables& tables = opened.tables;
        QVERIFY(tables.OpenDirectoryTables(*opened.connection).ok());
        QCOMPARE(tables.subscribers().RecordCount(), 2);
        // The run positions both for every subscriber: a scan would grow with the square of the
        // directory.
        QVERIFY(tables.callHandlers().isIndexedOn(u"ObjectID"));
        QVERIFY(tables.classesOfService().isIndexedOn(u"ObjectID"));
    }

    // The run's searches of a cached table: forward from the current row, ids without regard
    // to ASCII letter case and whole numbers by value, with an index or without.
    void findsRowsWithAndWithoutIndex_data() {
        QTest::addColumn<bool>("indexed");
        QTest::addColumn<int>("from");  // the row the search starts on
        QTest::addColumn<QVariant>("wanted");
        QTest::addColumn<int>("expectedPosition");  // -1: end of file
        for (bool indexed : {false, true}) {
            const char* kind = indexed ? "indexed" : "scanned";
            QTest::addRow("%s forward from the current row", kind) << indexed << 2 << QVariant("ch-2") << 3;
            QTest::addRow("%s not behind the current row", kind) << indexed << 2 << QVariant("ch-1") << -1;
            QTest::addRow("%s ASCII letter case differs", kind) << indexed << 0 << QVariant("CH-1") << 0;
            QTest::addRow("%s a number as digits with a leading zero", kind)
                << indexed << 0 << QVariant("07") << 4;
            QTest::addRow("%s Null finds nothing", kind) << indexed << 0 << QVariant() << -1;
        }
    }
    void findsRowsWithAndWithoutIndex() {
        QFETCH(bool, indexed);
        QFETCH(int, from);
        QFETCH(QVariant, wanted);
        QFETCH(int, expectedPosition);
        Recordset set = Recordset::fromRows({"ObjectID", "DisplayName"}, {{"ch-1", "Main"},
                                                                          {"ch-2", QVariant()},
                                                                          {"ch-3", ""},
                                                                          {"ch-2", "Second"},
                                                                          {7, "Seven"},
                                                                          {QVariant(), "-"}});
        if (indexed) set.indexField(u"objectid");
        set.MoveFirst();
        for (int i = 0; i < from; ++i) set.MoveNext();
        QCOMPARE(set.Find(u"ObjectID", wanted), expectedPosition >= 0);
        QCOMPARE(set.AtEOF(), expectedPosition < 0);
        if (expectedPosition >= 0) QCOMPARE(set.position(), expectedPosition);
        // Field names without regard to case; no value at the end, nor of a field the view lacks.
        QCOMPARE(set.value(u"displayname").ok(), expectedPosition >= 0);
        QCOMPARE(set.value(u"NoSuchField").error().number, 3265);
    }

    void missingDatabaseIsAnErrorAndCreatesNothing() {
        QTemporaryDir folder;
        const QString path = folder.filePath("HalvernDirDB.db");
        QVERIFY(!DirectoryConnection::openSqlite(path, folder.filePath("HalvernMbxDB1.db")).ok());
        QVERIFY(!QFile::exists(path));
    }

    // The PostgreSQL driver would hold a whole view on the client; it is asked to fetch in
    // blocks when the run reads whole views, unless the administrator's string says how.
    void streamsRowsFromThePostgreSqlDriverOnly_data() {
        QTest::addColumn<QString>("given");
        QTest::addColumn<bool>("wholeViews");
        QTest::addColumn<QString>("used");
        const QString blocks = "UseDeclareFetch=1;Fetch=2000";
        QTest::addRow("PostgreSQL") << "Driver={PostgreSQL Unicode};Server=h" << true
                                    << "Driver={PostgreSQL Unicode};Server=h;" + blocks;
        QTest::addRow("its own setting wins") << "Driver={PostgreSQL Unicode};usedeclarefetch=0" << true
                                              << "Driver={PostgreSQL Unicode};usedeclarefetch=0";
        QTest::addRow("one statement a look-up")
            << "Driver={PostgreSQL Unicode};Server=h" << false << "Driver={PostgreSQL Unicode};Server=h";
    }
    void streamsRowsFromThePostgreSqlDriverOnly() {
        QFETCH(QString, given);
        QFETCH(bool, wholeViews);
        QFETCH(QString, used);
        QCOMPARE(DirectoryConnection::odbcConnectionString(given, wholeViews), used);
    }
};

QTEST_GUILESS_MAIN(DirectoryTest)
#include "test_directory.moc"
