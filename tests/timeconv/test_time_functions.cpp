#include <time.h>

#include <QLocale>
#include <QScopeGuard>
#include <QTest>
#include <limits>

#include "timeconv/time_functions.h"

namespace {

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, ms), Qt::UTC);
}

// 15:04:05 on 5 December 2026, two hours ahead of UTC.
QDateTime plusTwoHours() {
    return QDateTime(QDate(2026, 12, 5), QTime(15, 4, 5), Qt::OffsetFromUTC, 7200);
}

}  // namespace

class TimeFunctionsTest : public QObject {
    Q_OBJECT

private slots:
    // Through the file-time format: whatever falls outside it (before 1601, past some 58,000
    // years on, no time at all) comes out as its first instant, 1601-01-01 00:00:00.
    void convertsStoredUtcTimesToLocalComponents_data() {
        QTest::addColumn<QDateTime>("stored");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QDateTime>("local");
        const QDateTime lastFileTime = utc(60056, 5, 28, 5, 36, 10);
        QTest::addRow("milliseconds are dropped") << utc(1970, 1, 1, 0, 0, 0, 999) << 0 << utc(1970, 1, 1);
        QTest::addRow("the components, whatever the offset")
            << plusTwoHours() << 0 << utc(2026, 12, 5, 15, 4, 5);
        QTest::addRow("past year 9999") << utc(9999, 12, 31, 23) << 2 * 3600 << utc(10000, 1, 1, 1);
        QTest::addRow("the last file time") << lastFileTime << 0 << lastFileTime;
        QTest::addRow("shifted past the last file time") << lastFileTime << 7200 << utc(1601, 1, 1);
        QTest::addRow("a year before the common era") << utc(-44, 3, 15, 12) << 0 << utc(1601, 1, 1);
        QTest::addRow("a year past the last file time") << utc(100000, 1, 1) << 0 << utc(1601, 1, 1);
        QTest::addRow("an invalid date-time") << QDateTime() << 0 << utc(1601, 1, 1);
        QTest::addRow("the first instant of 1601 gets no offset")
            << utc(1601, 1, 1) << 3600 << utc(1601, 1, 1);
        QTest::addRow("shifted before 1601") << utc(1601, 1, 1, 3) << -5 * 3600 << utc(1601, 1, 1);
        QTest::addRow("the most negative offset")
            << utc(1601, 1, 1, 0, 0, 1) << std::numeric_limits<int>::min() << utc(1601, 1, 1);
    }
    void convertsStoredUtcTimesToLocalComponents() {
        QFETCH(QDateTime, stored);
        QFETCH(int, offset);
        QFETCH(QDateTime, local);
        const QDateTime converted = brindle::GMTToLocalTime(stored, offset);
        QCOMPARE(converted, local);
        QCOMPARE(converted.timeSpec(), Qt::UTC);
    }

    // Daylight saving from 1 January 00:00 to 31 December 25:00 is in force whenever the test
    // runs: the offset is the summer one, not the standard one.
    void takesTheOffsetInForceAtTheRun() {
        const auto restore = qScopeGuard([was = qEnvironmentVariableIsSet("TZ"), previous = qgetenv("TZ")] {
            was ? qputenv("TZ", previous) : qunsetenv("TZ");
            tzset();
        });
        qputenv("TZ", "XST0XDT-1,J1/0,J365/25");
        tzset();
        QCOMPARE(brindle::localOffsetSecondsAt(QDateTime::currentDateTimeUtc()), 3600);
    }

    // U.S. English and C are written directly; other locales with a four-digit year and no zone.
    void writesTheLocalesGeneralDate_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<QString>("text");
        const QDateTime afternoon = utc(2026, 12, 5, 15, 4, 5);
        QTest::addRow("C exact midnight drops the time") << "C" << utc(2026, 12, 5) << "12/5/2026";
        QTest::addRow("C no date") << "C" << QDateTime() << "";
        QTest::addRow("German at midnight") << "de_DE" << utc(2026, 12, 5) << "05.12.2026";
        QTest::addRow("British, year already four digits") << "en_GB" << afternoon << "05/12/2026 15:04:05";
        QTest::addRow("Spanish, zone in parentheses") << "es_ES" << afternoon << "5/12/2026 15:04:05";
        QTest::addRow("Bulgarian, quoted letters kept")
            << "bg_BG" << afternoon << QString::fromUtf8("5.12.2026 г. 15:04:05 ч.");
        QTest::addRow("Chinese, zone first") << "zh_CN" << afternoon << "2026/12/5 15:04:05";
        QTest::addRow("Albanian, zone after a comma")
            << "sq_AL" << afternoon << "5.12.2026 3:04:05 E PASDITES";
    }
    void writesTheLocalesGeneralDate() {
        QFETCH(QString, locale);
        QFETCH(QDateTime, local);
        QFETCH(QString, text);
        QCOMPARE(brindle::dateText(local, QLocale(locale)), text);
    }

    void readsStoredTimes_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QDateTime>("time");  // invalid: not a time
        const QDateTime afternoon = utc(2026, 12, 5, 15, 4, 5);
        QTest::addRow("a date alone is midnight") << QVariant("2026-12-05") << utc(2026, 12, 5);
        QTest::addRow("a date value is midnight") << QVariant(QDate(2026, 12, 5)) << utc(2026, 12, 5);
        QTest::addRow("an offset date-time's components") << QVariant(plusTwoHours()) << afternoon;
        QTest::addRow("a Null date-time") << QVariant(QMetaType::fromType<QDateTime>()) << QDateTime();
        QTest::addRow("U.S. date text") << QVariant("12/5/2026 3:04:05 PM") << QDateTime();
        QTest::addRow("a two-digit year") << QVariant("26-12-05 15:04:05") << QDateTime();
        QTest::addRow("a trailing line break") << QVariant("2026-12-05 15:04:05\n") << QDateTime();
        QTest::addRow("a point without digits") << QVariant("2026-12-05 15:04:05.") << QDateTime();
        QTest::addRow("30 February") << QVariant("2026-02-30 10:00:00") << QDateTime();
        QTest::addRow("an integer") << QVariant(20261205) << QDateTime();
        QTest::addRow("an invalid date-time") << QVariant(QDateTime()) << QDateTime();
    }
    void readsStoredTimes() {
        QFETCH(QVariant, value);
        QFETCH(QDateTime, time);
        const std::optional<QDateTime> result = brindle::storedTime(value);
        QCOMPARE(result.has_value(), time.isValid());
        if (!result) return;
        QCOMPARE(*result, time);
        QCOMPARE(result->timeSpec(), Qt::UTC);
    }
};

QTEST_GUILESS_MAIN(TimeFunctionsTest)
#include "test_time_functions.moc"
