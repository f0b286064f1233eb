#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/exclusive_lock.h"

using brindle::ExclusiveLock;

class ExclusiveLockTest : public QObject {
    Q_OBJECT

private slots:
    void refusesWhileAnotherHolderLives() {
        QTemporaryDir dir;
        const QString path = dir.filePath("run.lock");
        ExclusiveLock first(path);
        QCOMPARE(first.tryAcquire().value(), true);
        ExclusiveLock second(path);
        QCOMPARE(second.tryAcquire().value(), false);
        QVERIFY(QFile::exists(path));
    }

    void saysWhenTheLockCannotBeMade() {
        QTemporaryDir dir;
        ExclusiveLock lock(dir.filePath("missing/run.lock"));
        const auto acquired = lock.tryAcquire();
        QVERIFY(!acquired.ok());
        QVERIFY(acquired.error().message.contains(dir.filePath("missing/run.lock")));
    }

    void isFreeAgainOnceTheHolderIsGone() {
        QTemporaryDir dir;
        const QString path = dir.filePath("run.lock");
        {
            ExclusiveLock first(path);
            QCOMPARE(first.tryAcquire().value(), true);
        }
        ExclusiveLock second(path);
        QCOMPARE(second.tryAcquire().value(), true);
    }

    void takesOverALockThatNoProcessHolds_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addRow("empty") << QByteArray();
        QTest::addRow("garbage") << QByteArray("\x01\xfe not a process id\n");
        QTest::addRow("dead process") << QByteArray("999999999\nbrindle\nsomewhere\n");
        // A process that lives but holds nothing: the lock was planted or its id reused.
        QTest::addRow("living stranger") << QByteArray("1\nbrindle\n\n");
    }
    void takesOverALockThatNoProcessHolds() {
        QFETCH(QByteArray, contents);
        QTemporaryDir dir;
        const QString path = dir.filePath("run.lock");
        QFile planted(path);
        QVERIFY(planted.open(QIODevice::WriteOnly));
        planted.write(contents);
        planted.close();
        ExclusiveLock lock(path);
        QCOMPARE(lock.tryAcquire().value(), true);
        ExclusiveLock second(path);
        QCOMPARE(second.tryAcquire().value(), false);
    }
};

QTEST_GUILESS_MAIN(ExclusiveLockTest)
#include "test_exclusive_lock.moc"
