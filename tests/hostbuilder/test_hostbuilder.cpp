#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

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

private:
    QString m_name;
};

QByteArray fingerprint(const QString& folder) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    Reader reader(folder + "/HalvernDirDB.db");
    for (const char* sql :
         {"SELECT * FROM vw_Subscriber", "SELECT * FROM vw_MenuEntry", "SELECT * FROM vw_Greeting"}) {
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
};

QTEST_GUILESS_MAIN(HostBuilderTest)
#include "test_hostbuilder.moc"
