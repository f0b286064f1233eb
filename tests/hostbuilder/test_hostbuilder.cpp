#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "hostbuilder/sample_host.h"
#include "support/brindle_process.h"

using namespace brindle::fixture;
using brindle::testing::fileContents;

namespace {

// The written directory, with the message store attached as "store", for the length of a check.
class Reader {
public:
    explicit Reader(const QString& folder) : m_name("reader-" + folder) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", m_name);
        db.setDatabaseName(folder + "/HalvernDirDB.db");
        db.open();
        QSqlQuery attach(db);
        attach.prepare("ATTACH DATABASE ? AS store");
        attach.addBindValue(folder + "/HalvernMbxDB1.db");
        attach.exec();
    }
    ~Reader() { QSqlDatabase::removeDatabase(m_name); }
    QSqlQuery query(const QString& sql) {
        QSqlQuery query(QSqlDatabase::database(m_name));
        query.exec(sql);
        return query;
    }

private:
    QString m_name;
};

QByteArray fingerprint(const QString& folder) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    Reader reader(folder);
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
    void writesValuesAsGivenAndTheRegistryAsUtf16() {
        HostBuilder host;
        host.subscriber("o'brien").set("BillingID", QVariant()).set("FirstName", "");
        QTemporaryDir folder;
        QVERIFY(host.write(folder.path()).ok());
        Reader reader(folder.path());
        QSqlQuery kept =
            reader.query("SELECT Alias, BillingID IS NULL, FirstName IS NULL FROM vw_Subscriber");
        QVERIFY(kept.next());
        QCOMPARE(kept.value(0).toString(), QStringLiteral("o'brien"));
        QCOMPARE(kept.value(1).toInt(), 1);
        QCOMPARE(kept.value(2).toInt(), 0);
        QVERIFY(fileContents(folder.filePath("registry.reg")).startsWith(QByteArray("\xFF\xFEW\0i\0n\0", 8)));
        QCOMPARE(fileContents(folder.filePath("status")), QByteArray("32"));
    }

    void sampleIsTheSameForTheSameSeed() {
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
    }

    // Each query counts the sample's subscribers or rows of one kind; there must be some.
    void sampleHoldsEveryAwkwardCase_data() {
        QTest::addColumn<QString>("sql");
        QTest::addRow("as many subscribers as asked, aliases distinct")
            << "SELECT COUNT(*) = 80 AND COUNT(DISTINCT Alias) = 80 FROM vw_Subscriber";
        QTest::addRow("a quote in an alias") << "SELECT COUNT(*) FROM vw_Subscriber WHERE Alias = 'o''brien'";
        QTest::addRow("a comma and quotes in a name")
            << "SELECT COUNT(*) FROM vw_Subscriber WHERE DisplayName = 'Smith, \"Jo\"'";
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
        Reader reader(samplePath());
        QSqlQuery query = reader.query(sql);
        QVERIFY2(query.next(), qPrintable(query.lastError().text()));
        QVERIFY(query.value(0).toInt() >= 1);
    }

private:
    // One sample host of 80 subscribers for every check of the sample.
    QString samplePath() {
        if (!m_sample.isValid()) return {};
        if (!QFile::exists(m_sample.filePath("status"))) {
            HostBuilder host;
            generateSample(host, 80, 3);
            brindle::testing::writeHost(host, m_sample.path());
        }
        return m_sample.path();
    }

    QTemporaryDir m_sample;
};

QTEST_GUILESS_MAIN(HostBuilderTest)
#include "test_hostbuilder.moc"
