#pragma once

#include <QTest>

#include "export/directory/recordset.h"

namespace brindle::testing {

enum class SameTypes { Yes, No };

// Fails the test where two recordsets differ in their fields or in any row's values: each
// value's Null and text, and with SameTypes::Yes its type too.
inline void compareRecordsets(Recordset actual, Recordset expected, SameTypes sameTypes) {
    QCOMPARE(actual.fieldNames(), expected.fieldNames());
    QCOMPARE(actual.RecordCount(), expected.RecordCount());
    for (actual.MoveFirst(), expected.MoveFirst(); !expected.AtEOF();
         actual.MoveNext(), expected.MoveNext()) {
        for (const QString& field : expected.fieldNames()) {
            const QVariant got = actual.value(field).value();
            const QVariant wanted = expected.value(field).value();
            const QByteArray where = field.toUtf8() + " of row " + QByteArray::number(expected.position());
            QVERIFY2(got.isNull() == wanted.isNull(), where.constData());
            QVERIFY2(got.toString() == wanted.toString(), where.constData());
            if (sameTypes == SameTypes::Yes) QVERIFY2(got.typeId() == wanted.typeId(), where.constData());
        }
    }
}

}  // namespace brindle::testing
