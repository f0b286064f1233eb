#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "hostbuilder/host_builder.h"
#include "hostbuilder/sample_host.h"
#include "hostbuilder/schema.h"

using namespace brindle::fixture;

namespace {

// Opens a written database for the length of one check.
class Reader {
public:
    explicit Reader(const QString& path) : m_name("reader-" + path) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", m_name);
        db.setDatabaseName(path);
        db.open();
    }
    ~Reader() { QSqlDatabase::removeDatabase(m_name); }
    QSqlQuery query(const QString& sql) {
        QSqlQuery query(QSqlDatabase::database(m_name));
        query.exec(sql);
        return query;
    }
    bool attach(const QString& path, const QString& schema) {
        QSqlQuery query(QSqlDatabase::database(m_name));
        query.prepare("ATTACH DATABASE ? AS " + schema);
        query.addBindValue(path);
        return query.exec();
    }

private:
    QString m_name;
};

QByteArray fingerprint(const QString& folder) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    Reader reader(folder + "/HalvernDirDB.db");
    // The greeting that expires in an hour is stamped from the clock when the host is written.
    for (const char* sql : {"SELECT * FROM vw_Subscriber", "SELECT * FROM vw_MenuEntry",
                            "SELECT CallHandlerObjectID, GreetingType, CASE WHEN TimeExpires BETWEEN "
                            "datetime('now') AND datetime('now', '+1 day') THEN 'soon' ELSE TimeExpires END "
                            "FROM vw_Greeting"}) {
        QSqlQuery query = reader.query(sql);
        while (query.next()) {
            for (int i = 0; i < query.record().count(); ++i)
                hash.addData(query.value(i).toString().toUtf8() + '|');
        }
    }
    return hash.result();
}

}  // namespace

class HostBuilderTest : public QObject {
    Q_OBJECT

private slots:
    void writesEveryViewWithItsFields() {
        HostBuilder host;
        host.subscriber("jsmith");
        QTemporaryDir folder;
        QVERIFY(host.write(folder.path()).ok());
        Reader directory(folder.filePath("HalvernDirDB.db"));
        Reader messageStore(folder.filePath("HalvernMbxDB1.db"));
        for (const TableSchema& table : tables()) {
            QSqlQuery query =
                (table.messageStore ? messageStore : directory).query("SELECT * FROM " + table.name);
            QVERIFY2(query.isActive(), qPrintable(table.name));
            QStringList fields;
            for (int i = 0; i < query.record().count(); ++i) fields << query.record().fieldName(i);
            QCOMPARE(fields, table.columns);
        }
        QCOMPARE(directory.query("SELECT COUNT(*) FROM vw_MenuEntry").next(), true);
    }

    void keepsNullsAndQuotesAsGiven() {
        HostBuilder host;
        host.subscriber("o'brien")
            .set("ObjectID", "o'brien-id")
            .set("BillingID", QVariant())
            .set("FirstName", "");
        QTemporaryDir folder;
        QVERIFY(host.write(folder.path()).ok());
        Reader directory(folder.filePath("HalvernDirDB.db"));
        QSqlQuery query =
            directory.query("SELECT ObjectID, BillingID IS NULL, FirstName IS NULL FROM vw_Subscriber");
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("o'brien-id"));
        QCOMPARE(query.value(1).toInt(), 1);
        QCOMPARE(query.value(2).toInt(), 0);
    }

    void writesARegistryExportAsUtf16WithBom() {
        QTemporaryDir folder;
        QVERIFY(HostBuilder().write(folder.path()).ok());
        QFile registry(folder.filePath("registry.reg"));
        QVERIFY(registry.open(QIODevice::ReadOnly));
        QVERIFY(registry.readAll().startsWith(QByteArray("\xFF\xFEW\0i\0n\0", 8)));
        QFile status(folder.filePath("status"));
        QVERIFY(status.open(QIODevice::ReadOnly));
        QCOMPARE(status.readAll(), QByteArray("32"));
    }

    void sampleIsDeterministicAndComplete() {
        QTemporaryDir first;
        QTemporaryDir second;
        QTemporaryDir other;
        for (auto [folder, seed] : {std::pair{&first, 7u}, std::pair{&second, 7u}, std::pair{&other, 8u}}) {
            HostBuilder host;
            generateSample(host, 40, seed);
            QVERIFY(host.write(folder->path()).ok());
        }
        QCOMPARE(fingerprint(first.path()), fingerprint(second.path()));
        QVERIFY(fingerprint(first.path()) != fingerprint(other.path()));

        Reader directory(first.filePath("HalvernDirDB.db"));
        QSqlQuery count = directory.query("SELECT COUNT(*), COUNT(DISTINCT Alias) FROM vw_Subscriber");
        QVERIFY(count.next());
        QCOMPARE(count.value(0).toInt(), 40);
        QCOMPARE(count.value(1).toInt(), 40);
        QSqlQuery voice =
            directory.query("SELECT VoiceName FROM vw_Subscriber WHERE VoiceName LIKE '%_vn.wav'");
        QVERIFY(voice.next());
        QFile wav(first.filePath("install/Streams/HalvernDirDb/" + voice.value(0).toString()));
        QVERIFY(wav.open(QIODevice::ReadOnly));
        const QByteArray header = wav.read(12);
        QVERIFY(header.startsWith("RIFF") && header.endsWith("WAVE"));
        QVERIFY(directory.query("SELECT 1 FROM vw_Subscriber WHERE DisplayName = 'Smith, \"Jo\"'").next());
        QVERIFY(directory.query("SELECT 1 FROM vw_Subscriber WHERE Alias = 'o''brien'").next());
    }

    void sampleHoldsEveryAwkwardCase_data() {
        QTest::addColumn<QString>("sql");
        QTest::addRow("no MWI device")
            << "SELECT COUNT(*) FROM vw_Subscriber s WHERE NOT EXISTS "
               "(SELECT 1 FROM vw_NotificationMWI m WHERE m.SubscriberObjectID = s.ObjectID)";
        QTest::addRow("two devices named MWI-1")
            << "SELECT COUNT(*) FROM (SELECT SubscriberObjectID FROM vw_NotificationMWI "
               "WHERE DisplayName = 'MWI-1' GROUP BY SubscriberObjectID "
               "HAVING COUNT(*) = 2 AND COUNT(DISTINCT MWIExtension) = 2)";
        QTest::addRow("eleven alternate MWI devices")
            << "SELECT COUNT(*) FROM (SELECT SubscriberObjectID FROM vw_NotificationMWI "
               "GROUP BY SubscriberObjectID HAVING SUM(DisplayName = 'MWI-1') = 1 "
               "AND SUM(DisplayName <> 'MWI-1') = 11 AND COUNT(DISTINCT DisplayName) = 12)";
        QTest::addRow("greeting expiring at the last second of 9999")
            << "SELECT COUNT(*) FROM vw_Greeting WHERE TimeExpires = '9999-12-31 23:59:59'";
        QTest::addRow("four greetings, no Holiday")
            << "SELECT COUNT(*) FROM (SELECT CallHandlerObjectID FROM vw_Greeting "
               "GROUP BY CallHandlerObjectID HAVING COUNT(*) = 4 AND SUM(GreetingType = 'Holiday') = 0)";
        QTest::addRow("no credential") << "SELECT COUNT(*) FROM vw_Subscriber s WHERE NOT EXISTS "
                                          "(SELECT 1 FROM vw_Credential c WHERE c.UserObjectID = s.ObjectID)";
        QTest::addRow("credential changed at a Null time")
            << "SELECT COUNT(*) FROM vw_Credential WHERE TimeChanged IS NULL";
        QTest::addRow("no mailbox")
            << "SELECT COUNT(*) FROM vw_Subscriber s "
               "WHERE NOT EXISTS (SELECT 1 FROM vw_user u WHERE u.ObjectID = s.ObjectID) "
               "AND NOT EXISTS (SELECT 1 FROM vw_mailbox m WHERE m.UserObjectID = s.ObjectID) "
               "AND NOT EXISTS (SELECT 1 FROM store.vw_mailbox b "
               "WHERE b.mailboxobjectid = 'mbx-' || s.ObjectID)";
        QTest::addRow("alias with a slash") << "SELECT COUNT(*) FROM vw_Subscriber WHERE Alias LIKE '%/%'";
        QTest::addRow("no voice name with a slash")
            << "SELECT COUNT(*) = 0 FROM vw_Subscriber WHERE VoiceName LIKE '%/%'";
        QTest::addRow("Null last call") << "SELECT COUNT(*) FROM vw_Subscriber WHERE TimeLastCall IS NULL";
        QTest::addRow("last call not a time")
            << "SELECT COUNT(*) FROM vw_Subscriber WHERE TimeLastCall = 'not a time'";
    }
    void sampleHoldsEveryAwkwardCase() {
        QFETCH(QString, sql);
        if (!m_awkward) {
            m_awkward = std::make_unique<QTemporaryDir>();
            HostBuilder host;
            generateSample(host, 80, 3);
            QVERIFY(host.write(m_awkward->path()).ok());
        }
        Reader directory(m_awkward->filePath("HalvernDirDB.db"));
        QVERIFY(directory.attach(m_awkward->filePath("HalvernMbxDB1.db"), "store"));
        QSqlQuery query = directory.query(sql);
        QVERIFY2(query.next(), qPrintable(query.lastError().text()));
        QVERIFY(query.value(0).toInt() >= 1);
    }

private:
    std::unique_ptr<QTemporaryDir> m_awkward;  // one sample host for every awkward case
};

QTEST_GUILESS_MAIN(HostBuilderTest)
#include "test_hostbuilder.moc"
