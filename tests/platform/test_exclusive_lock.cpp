#include <QTemporaryDir>
#include <QTest>

#include "platform/exclusive_lock.h"
#include "support/files.h"

using brindle::ExclusiveLock;

class ExclusiveLockTest : public QObject {
    Q_OBJECT

private slots:
    void saysWhenTheLockCannotBeMade() {
        QTemporaryDir dir;
        const auto acquired = ExclusiveLock(dir.filePath("missing/run.lock")).tryAcquire();
        QVERIFY(!acquired.ok());
        QVERIFY(acquired.error().message.contains(dir.filePath("missing/run.lock")));
    }

    // Once taken over, the lock holds against the next run.
    void takesOverALockThatNoProcessHolds_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addRow("left by a holder now gone") << QByteArray("(released)");
        QTest::addRow("dead process") << QByteArray("999999999\nbrindle\nsomewhere\n");
        // A process that lives but holds nothing: the lock was planted or its id reused.
        QTest::addRow("living stranger") << QByteArray("1\nbrindle\n\n");
    }
    void takesOverALockThatNoProcessHolds() {
        QFETCH(QByteArray, contents);
        QTemporaryDir dir;
        const QString path = dir.filePath("run.lock");
        if (contents == "(released)") {
            ExclusiveLock earlier(path);
            QCOMPARE(earlier.tryAcquire().value(), true);
        } else {
            QVERIFY(brindle::testing::writeFile(path, contents));
        }
        ExclusiveLock lock(path);
        QCOMPARE(lock.tryAcquire().value(), true);
        QCOMPARE(ExclusiveLock(path).tryAcquire().value(), false);
    }
};

QTEST_GUILESS_MAIN(ExclusiveLockTest)
#include "test_exclusive_lock.moc"
