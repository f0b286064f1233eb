// The sample hosts' generator is held by the golden export; this keeps what every other test
// trusts the builder to write: a Null as Null, an empty text as empty, the registry in UTF-16.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "support/files.h"

class HostBuilderTest : public QObject {
    Q_OBJECT

private slots:
    void writesValuesAsGivenAndTheRegistryAsUtf16() {
        brindle::fixture::HostBuilder host;
        host.subscriber("o'brien").set("BillingID", QVariant()).set("FirstName", "");
        QTemporaryDir folder;
        QVERIFY(host.write(folder.path()).ok());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "written");
            db.setDatabaseName(folder.filePath("HalvernDirDB.db"));
            QVERIFY(db.open());
            QSqlQuery kept("SELECT Alias, BillingID IS NULL, FirstName IS NULL FROM vw_Subscriber", db);
            QVERIFY(kept.next());
            QCOMPARE(kept.value(0).toString(), QStringLiteral("o'brien"));
            QCOMPARE(kept.value(1).toInt(), 1);
            QCOMPARE(kept.value(2).toInt(), 0);
        }
        QSqlDatabase::removeDatabase("written");
        const QByteArray registry = brindle::testing::fileContents(folder.filePath("registry.reg"));
        QVERIFY(registry.startsWith(QByteArray("\xFF\xFEW\0i\0n\0", 8)));
        QCOMPARE(brindle::testing::fileContents(folder.filePath("status")), QByteArray("32"));
    }
};

QTEST_GUILESS_MAIN(HostBuilderTest)
#include "test_hostbuilder.moc"
