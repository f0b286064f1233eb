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
                                                            });
}

}  // namespace

class RecordsetTest : public QObject {
    Q_OBJECT

private slots:
    void findsRowsWithAndWithoutIndex_data() {
        QTest::addColumn<bool>("indexed");
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<int>("expectedPosition");  // -1: end of file
        for (bool indexed : {false, true}) {
            const char* kind = indexed ? "indexed" : "scanned";
            QTest::addRow("%s first", kind) << indexed << "ch-1" << 0;
            QTest::addRow("%s first of two", kind) << indexed << "ch-2" << 1;
            QTest::addRow("%s miss", kind) << indexed << "ch-9" << -1;
            QTest::addRow("%s ASCII letter case differs", kind) << indexed << "CH-1" << 0;
            QTest::addRow("%s a number as digits with a leading zero", kind) << indexed << "07" << 4;
        }
    }
    void findsRowsWithAndWithoutIndex() {
        QFETCH(bool, indexed);
        QFETCH(QString, wanted);
        QFETCH(int, expectedPosition);
        Recordset set = handlers();
        if (indexed) set.indexField(u"objectid");
        set.MoveFirst();
        const bool found = set.Find(u"ObjectID", wanted);
        QCOMPARE(found, expectedPosition >= 0);
        QCOMPARE(set.AtEOF(), expectedPosition < 0);
        if (found) QCOMPARE(set.position(), expectedPosition);
    }

    void findSearchesForwardFromTheCurrentRow() {
        for (bool indexed : {false, true}) {
            Recordset set = handlers();
            if (indexed) set.indexField(u"ObjectID");
            set.MoveFirst();
            set.MoveNext();
            set.MoveNext();
            QVERIFY(set.Find(u"ObjectID", QStringLiteral("ch-2")));
            QCOMPARE(set.position(), 3);
            QCOMPARE(set.value(u"DisplayName").value().toString(), QStringLiteral("Second ch-2"));
        }
    }

    void nullFindsNothing() {
        Recordset set = Recordset::fromRows({"ObjectID"}, {{QVariant()}, {"x"}});
        set.MoveFirst();
        QVERIFY(!set.Find(u"ObjectID", QVariant()));
        QVERIFY(set.AtEOF());
    }

    void keepsNullDistinctFromEmptyText() {
        Recordset set = handlers();
        set.MoveFirst();
        set.MoveNext();
        QVERIFY(set.value(u"DisplayName").value().isNull());
        set.MoveNext();
        const QVariant empty = set.value(u"DISPLAYNAME").value();
        QVERIFY(!empty.isNull());
        QCOMPARE(empty.toString(), QString());
    }

    void missingFieldAndEndOfFileAreErrors() {
        Recordset set = handlers();
        set.MoveFirst();
        const auto missing = set.value(u"NoSuchField");
        QVERIFY(!missing.ok());
        QCOMPARE(missing.error().number, 3265);
        while (!set.AtEOF()) set.MoveNext();
        QVERIFY(!set.value(u"ObjectID").ok());
        QCOMPARE(set.RecordCount(), 5);
    }
};

QTEST_GUILESS_MAIN(RecordsetTest)
#include "test_recordset.moc"
