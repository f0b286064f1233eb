#include <QTest>

#include "export/directory/recordset.h"

using brindle::Recordset;

namespace {

Recordset handlers() {
    return Recordset::fromRows({"ObjectID", "DisplayName"}, {
                                                                {"ch-1", "Main"},
                                                                {"ch-2", QVariant()},
                                                                {"ch-3", ""},
                                                                {"ch-2", "Second ch-2"},
                                                                {7, "Seven"},
                                                                {QVariant(), "No id"},
                                                            });
}

}  // namespace

class RecordsetTest : public QObject {
    Q_OBJECT

private slots:
    void findsRowsWithAndWithoutIndex_data() {
        QTest::addColumn<bool>("indexed");
        QTest::addColumn<int>("from");  // the row the search starts on
        QTest::addColumn<QVariant>("wanted");
        QTest::addColumn<int>("expectedPosition");  // -1: end of file
        for (bool indexed : {false, true}) {
            const char* kind = indexed ? "indexed" : "scanned";
            QTest::addRow("%s first", kind) << indexed << 0 << QVariant("ch-1") << 0;
            QTest::addRow("%s first of two", kind) << indexed << 0 << QVariant("ch-2") << 1;
            QTest::addRow("%s forward from the current row", kind) << indexed << 2 << QVariant("ch-2") << 3;
            QTest::addRow("%s not behind the current row", kind) << indexed << 2 << QVariant("ch-1") << -1;
            QTest::addRow("%s miss", kind) << indexed << 0 << QVariant("ch-9") << -1;
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
        Recordset set = handlers();
        if (indexed) set.indexField(u"objectid");
        set.MoveFirst();
        for (int i = 0; i < from; ++i) set.MoveNext();
        const bool found = set.Find(u"ObjectID", wanted);
        QCOMPARE(found, expectedPosition >= 0);
        QCOMPARE(set.AtEOF(), expectedPosition < 0);
        if (found) QCOMPARE(set.position(), expectedPosition);
    }

    void missingFieldAndEndOfFileAreErrors() {
        Recordset set = handlers();
        set.MoveFirst();
        const auto missing = set.value(u"NoSuchField");
        QVERIFY(!missing.ok());
        QCOMPARE(missing.error().number, 3265);
        QVERIFY(set.value(u"DISPLAYNAME").ok());  // field names without regard to case
        while (!set.AtEOF()) set.MoveNext();
        QVERIFY(!set.value(u"ObjectID").ok());
        QCOMPARE(set.RecordCount(), 6);
    }
};

QTEST_GUILESS_MAIN(RecordsetTest)
#include "test_recordset.moc"
