#include <QTest>

#include "cli/progress_display.h"

using brindle::ProgressDisplay;

class ProgressDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void saysHowFarTheRunIs_data() {
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("total");
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<QString>("text");
        QTest::addRow("nothing yet") << 0 << 3000 << qint64(0) << "0 of 3000 subscribers (0%)";
        QTest::addRow("rate not yet known") << 40 << 3000 << qint64(249) << "40 of 3000 subscribers (1%)";
        QTest::addRow("rate known") << 40 << 3000 << qint64(250)
                                    << "40 of 3000 subscribers (1%), 160/s, 0:19 left";
        QTest::addRow("half") << 1500 << 3000 << qint64(3000)
                              << "1500 of 3000 subscribers (50%), 500/s, 0:03 left";
        QTest::addRow("share rounded down")
            << 2999 << 3000 << qint64(2999) << "2999 of 3000 subscribers (99%), 1000/s, 0:00 left";
        QTest::addRow("all") << 3000 << 3000 << qint64(6000)
                             << "3000 of 3000 subscribers (100%), 500/s, 0:00 left";
        QTest::addRow("minutes") << 100 << 10000 << qint64(10000)
                                 << "100 of 10000 subscribers (1%), 10/s, 16:30 left";
        QTest::addRow("hours") << 10 << 100000 << qint64(10000)
                               << "10 of 100000 subscribers (0%), 1/s, 27:46:30 left";
        QTest::addRow("no time left below nothing")
            << 5 << 0 << qint64(2000) << "5 of 0 subscribers (0%), 3/s, 0:00 left";
    }
    void saysHowFarTheRunIs() {
        QFETCH(int, done);
        QFETCH(int, total);
        QFETCH(qint64, elapsed);
        QFETCH(QString, text);
        QCOMPARE(ProgressDisplay::text(done, total, elapsed), text);
    }

    void drawsAtOnceAndThenAtMostTenTimesASecond() {
        QString terminal;
        QTextStream stream(&terminal);
        qint64 now = 0;
        ProgressDisplay display(stream, 100000, [&now] { return now; });
        display.update(1);
        QCOMPARE(terminal, QString("\r1 of 100000 subscribers (0%)"));
        // A subscriber every tenth of a millisecond for two seconds.
        for (int done = 2; done <= 20000; ++done) {
            if (done % 10 == 0) ++now;
            display.update(done);
        }
        QCOMPARE(terminal.count('\r'), 1 + 20);
        QVERIFY(terminal.endsWith("20000 of 100000 subscribers (20%), 10000/s, 0:08 left"));
    }

    void padsAShorterLineOverALongerOne() {
        QString terminal;
        QTextStream stream(&terminal);
        qint64 now = 5000;
        ProgressDisplay display(stream, 10000, [&now] { return now; });
        now += 60000;
        display.update(10);
        now += 100;
        display.update(9999);
        const QString longer = "\r10 of 10000 subscribers (0%), 0/s, 16:39:00 left";
        const QString shorter = "\r9999 of 10000 subscribers (99%), 166/s, 0:00 left";
        QCOMPARE(terminal, longer + shorter + QString(longer.size() - shorter.size(), ' '));
    }

    void blanksTheLineAtTheEnd() {
        QString terminal;
        QTextStream stream(&terminal);
        ProgressDisplay display(stream, 3000, [] { return qint64(0); });
        display.update(7);
        terminal.clear();
        display.clear();
        QCOMPARE(terminal, "\r" + QString(QString("7 of 3000 subscribers (0%)").size(), ' ') + "\r");
        terminal.clear();
        display.clear();
        QCOMPARE(terminal, QString());
    }

    void drawsNothingForAnEmptyDirectoryOrAnUnusedDisplay() {
        QString terminal;
        QTextStream stream(&terminal);
        ProgressDisplay empty(stream, 0);
        empty.update(1);
        empty.clear();
        ProgressDisplay unused(stream, 10);
        unused.clear();
        QCOMPARE(terminal, QString());
    }
};

QTEST_GUILESS_MAIN(ProgressDisplayTest)
#include "test_progress_display.moc"
