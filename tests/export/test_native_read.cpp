// Whole views read through the drivers' own interfaces must give what Qt's drivers give, and
// the compact recordset must find their rows by id as the directory compares ids.
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "export/directory/id_key.h"
#include "export/directory/native_read.h"
#include "export/directory/recordset.h"
#include "support/recordset_compare.h"

using namespace brindle;

class NativeReadTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "native");
        db.setDatabaseName(m_dir.filePath("values.db"));
        QVERIFY(db.open());
        QSqlQuery query(db);
        // Every kind of value SQLite stores, texts that repeat, and a quoted column name.
        for (const char* sql :
             {"CREATE TABLE v (id TEXT, \"quoted \"\"name\"\"\" TEXT, n INTEGER, r REAL, b BLOB)",
              "INSERT INTO v VALUES ('a', 'Åsa', 0, 1.5, x'00ff')",
              "INSERT INTO v VALUES ('a', '', -1, -0.25, NULL)",
              "INSERT INTO v VALUES (NULL, CAST(x'c328' AS TEXT), 1099511627776, NULL, x'')",
              "INSERT INTO v VALUES (CAST(x'80c080' AS TEXT), CAST(x'eda080e282' AS TEXT), 2, 3, 4)",
              "INSERT INTO v VALUES ('b', 'Åsa', NULL, 7, 'text in a blob column')",
              "INSERT INTO v VALUES (42, 3.5, 'text in a number column', 'x', 12)"})
            QVERIFY2(query.exec(sql), qPrintable(query.lastError().text()));
    }

    void readsWhatQtsDriverReads_data() {
        QTest::addColumn<QString>("sql");
        QTest::addRow("every kind of value") << "SELECT * FROM v";
        QTest::addRow("no rows") << "SELECT * FROM v WHERE 0";
        QTest::addRow("a failing statement") << "SELECT * FROM no_such_view";
    }
    void readsWhatQtsDriverReads() {
        QFETCH(QString, sql);
        const QSqlDatabase db = QSqlDatabase::database("native");
        QSqlQuery query(db);
        query.setForwardOnly(true);
        const bool ran = query.exec(sql);
        const NativeRead native = readNatively(db, sql);
        if (!ran) {
            QVERIFY(!native.rows);
            QCOMPARE(native.failure.text(), query.lastError().text());
            QCOMPARE(native.failure.nativeErrorCode(), query.lastError().nativeErrorCode());
            return;
        }
        auto expected = Recordset::fetchAll(query);
        QVERIFY(expected.ok() && native.rows);
        testing::compareRecordsets(*native.rows, *expected, testing::SameTypes::Yes);
    }

    // Ids are keys: whole numbers by value, other texts without regard to ASCII letter case.
    // hasIdKey must agree with idKey for every pair.
    void comparesIdsAsTheDirectoryDoes_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("other");
        QTest::addColumn<bool>("same");
        const auto row = [](const char* tag, QVariant value, QVariant other, bool same) {
            QTest::newRow(tag) << value << other << same;
        };
        row("digits and the number", "7", 7, true);
        row("a leading zero", "07", "7", true);
        row("a plus sign", "+7", qint64(7), true);
        row("a whole double", 7.0, "7", true);
        row("minus zero", "-0", "0", true);
        row("negative with a zero", "-05", -5, true);
        row("eighteen digits", "999999999999999999", qint64(999'999'999'999'999'999), true);
        row("nineteen digits", "9223372036854775807", std::numeric_limits<qint64>::max(), true);
        row("past 64 bits stays text", "9223372036854775808", std::numeric_limits<qint64>::min(), false);
        row("ASCII capitals", "CH-1", "ch-1", true);
        row("other capitals keep their case", "Ä", "ä", false);
        row("a fraction", 7.5, "7.5", true);
        row("a sign alone", "-", "-", true);
        row("text that is not a number", "7a", "7A", true);
        row("different texts", "ch-1", "ch-2", false);
    }
    void comparesIdsAsTheDirectoryDoes() {
        QFETCH(QVariant, value);
        QFETCH(QVariant, other);
        QFETCH(bool, same);
        QCOMPARE(idKey(value) == idKey(other), same);
        QCOMPARE(hasIdKey(value, *idKey(other)), same);
        QCOMPARE(hasIdKey(other, *idKey(value)), same);
    }

    // Rows of one key, found in any order: rows that already stand together are used where
    // they stand, others are gathered; a row without a key belongs to no group.
    void groupsRowsByTheirKey_data() {
        QTest::addColumn<QVariantList>("keys");  // of rows 0, 1, 2, ...
        QTest::addColumn<QVariantList>("asked");
        QTest::addColumn<QStringList>("found");  // the rows of each key asked, as "0 1|2|"
        QTest::addRow("each key's rows together")
            << QVariantList{"a", "a", "b", "c"} << QVariantList{"a", "b", "c", "a", "d"}
            << QStringList{"0 1", "2", "3", "0 1", ""};
        QTest::addRow("a key's rows apart")
            << QVariantList{"a", "b", "A", "b"} << QVariantList{"b", "a"} << QStringList{"1 3", "0 2"};
        QTest::addRow("a Null between a key's rows")
            << QVariantList{"a", QVariant(), "a", 7} << QVariantList{"a", QVariant(), "07"}
            << QStringList{"0 2", "", "3"};
    }
    void groupsRowsByTheirKey() {
        QFETCH(QVariantList, keys);
        QFETCH(QVariantList, asked);
        QFETCH(QStringList, found);
        QList<QVariantList> rows;
        for (qsizetype i = 0; i < keys.size(); ++i) rows << QVariantList{keys[i], int(i)};
        const Recordset::Groups groups = Recordset::fromRows({"Key", "Row"}, rows).groupedBy(u"key");
        for (qsizetype i = 0; i < asked.size(); ++i) {
            Recordset group = groups.recordsetOf(asked[i]);
            QStringList numbers;
            for (group.MoveFirst(); !group.AtEOF(); group.MoveNext())
                numbers << group.value(u"Row")->toString();
            QCOMPARE(numbers.join(u' '), found[i]);
        }
    }
};

QTEST_GUILESS_MAIN(NativeReadTest)
#include "test_native_read.moc"
