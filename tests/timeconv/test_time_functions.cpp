#include <time.h>

#include <QLocale>
#include <QTest>
#include <limits>

#include "timeconv/time_functions.h"

using brindle::FileTime;

namespace {

constexpr FileTime kUnixEpoch = 116444736000000000;  // 1970-01-01 00:00:00
constexpr FileTime kLastFileTime = std::numeric_limits<FileTime>::max();

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

// Sets TZ for the process (libc and Qt's local time both follow it) and puts it back afterwards.
class ZoneScope {
public:
    explicit ZoneScope(const QByteArray& tz)
        : m_wasSet(qEnvironmentVariableIsSet("TZ")), m_previous(qgetenv("TZ")) {
        qputenv("TZ", tz);
        tzset();
    }
    ~ZoneScope() {
        if (m_wasSet) {
            qputenv("TZ", m_previous);
        } else {
            qunsetenv("TZ");
        }
        tzset();
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

private:
    bool m_wasSet;
    QByteArray m_previous;
};

}  // namespace

class TimeFunctionsTest : public QObject {
    Q_OBJECT

private slots:
    void turnsDatesIntoFileTimes_data() {
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<FileTime>("fileTime");
        QTest::addRow("the Unix epoch") << utc(1970, 1, 1) << kUnixEpoch;
        QTest::addRow("a December afternoon") << utc(2026, 12, 5, 15, 4, 5) << FileTime(134409566450000000);
        QTest::addRow("milliseconds are dropped")
            << QDateTime(QDate(1970, 1, 1), QTime(0, 0, 0, 999), Qt::UTC) << kUnixEpoch;
        QTest::addRow("the last second of year 9999")
            << utc(9999, 12, 31, 23, 59, 59) << FileTime(2650467743990000000);
        QTest::addRow("the first file time is 0") << utc(1601, 1, 1) << FileTime(0);
        QTest::addRow("the last second before 1601") << utc(1600, 12, 31, 23, 59, 59) << FileTime(0);
        QTest::addRow("a year before the common era") << utc(-44, 3, 15, 12) << FileTime(0);
        QTest::addRow("a year past the last file time") << utc(100000, 1, 1) << FileTime(0);
        QTest::addRow("an invalid date-time") << QDateTime() << FileTime(0);
    }
    void turnsDatesIntoFileTimes() {
        QFETCH(QDateTime, date);
        QFETCH(FileTime, fileTime);
        QCOMPARE(brindle::DateToFileTime(date), fileTime);
    }

    void readsOnlyTheComponentsOfADateWhateverItsSpec() {
        ZoneScope zone("EST5");
        const FileTime expected = brindle::DateToFileTime(utc(2026, 12, 5, 15, 4, 5));
        const QDateTime local(QDate(2026, 12, 5), QTime(15, 4, 5), Qt::LocalTime);
        const QDateTime plusTwo(QDate(2026, 12, 5), QTime(15, 4, 5), Qt::OffsetFromUTC, 7200);
        QCOMPARE(brindle::DateToFileTime(local), expected);
        QCOMPARE(brindle::DateToFileTime(plusTwo), expected);
    }

    void shiftsFileTimesByTheOffset_data() {
        QTest::addColumn<FileTime>("utc");
        QTest::addColumn<int>("offset");
        QTest::addColumn<FileTime>("local");
        QTest::addRow("five hours back") << kUnixEpoch << -5 * 3600 << FileTime(116444556000000000);
        QTest::addRow("one hour on") << kUnixEpoch << 3600 << FileTime(116444772000000000);
        QTest::addRow("no offset") << kUnixEpoch << 0 << kUnixEpoch;
        QTest::addRow("no time gets no positive offset") << FileTime(0) << 3600 << FileTime(0);
        QTest::addRow("no time gets no negative offset") << FileTime(0) << -3600 << FileTime(0);
        QTest::addRow("landing on 1601 exactly") << FileTime(36000000000) << -3600 << FileTime(0);
        QTest::addRow("landing before 1601") << FileTime(10000000) << -3600 << FileTime(0);
        QTest::addRow("landing past the last file time") << kLastFileTime - 5 << 1 << FileTime(0);
        QTest::addRow("the most negative offset")
            << FileTime(1) << std::numeric_limits<int>::min() << FileTime(0);
    }
    void shiftsFileTimesByTheOffset() {
        QFETCH(FileTime, utc);
        QFETCH(int, offset);
        QFETCH(FileTime, local);
        QCOMPARE(brindle::ConvertToLocalFileTime(utc, offset), local);
    }

    void turnsFileTimesIntoDatesToTheSecond_data() {
        QTest::addColumn<FileTime>("fileTime");
        QTest::addColumn<QDateTime>("date");
        QTest::addRow("zero is the first instant of 1601") << FileTime(0) << utc(1601, 1, 1);
        QTest::addRow("the Unix epoch") << kUnixEpoch << utc(1970, 1, 1);
        QTest::addRow("a fraction of a second is dropped") << kUnixEpoch + 9999999 << utc(1970, 1, 1);
        QTest::addRow("a December afternoon") << FileTime(134409566450000000) << utc(2026, 12, 5, 15, 4, 5);
    }
    void turnsFileTimesIntoDatesToTheSecond() {
        QFETCH(FileTime, fileTime);
        QFETCH(QDateTime, date);
        const QDateTime result = brindle::FileTimeToDate(fileTime);
        QCOMPARE(result, date);
        QCOMPARE(result.timeSpec(), Qt::UTC);
    }

    void readsTheLastFileTimeWithoutOverflow() {
        const QDateTime last = brindle::FileTimeToDate(kLastFileTime);
        QVERIFY(last.isValid());
        QVERIFY(last.date().year() > 50000);
        QCOMPARE(brindle::DateToFileTime(last), kLastFileTime - kLastFileTime % 10000000);
    }

    void convertsStoredUtcTimesToLocalComponents_data() {
        QTest::addColumn<QDateTime>("stored");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QDateTime>("local");
        QTest::addRow("noon five hours back") << utc(2026, 6, 1, 12) << -5 * 3600 << utc(2026, 6, 1, 7);
        QTest::addRow("early morning into the previous day")
            << utc(2026, 6, 1, 2) << -5 * 3600 << utc(2026, 5, 31, 21);
        QTest::addRow("late evening into the next year")
            << utc(2026, 12, 31, 23, 30) << 3600 << utc(2027, 1, 1, 0, 30);
        QTest::addRow("before 1601 is the first instant of 1601")
            << utc(1500, 6, 1, 10) << 3600 << utc(1601, 1, 1);
        QTest::addRow("the first instant of 1601 gets no offset")
            << utc(1601, 1, 1) << -5 * 3600 << utc(1601, 1, 1);
        QTest::addRow("shifted before 1601") << utc(1601, 1, 1, 3) << -5 * 3600 << utc(1601, 1, 1);
        QTest::addRow("past year 9999") << utc(9999, 12, 31, 23) << 2 * 3600 << utc(10000, 1, 1, 1);
    }
    void convertsStoredUtcTimesToLocalComponents() {
        QFETCH(QDateTime, stored);
        QFETCH(int, offset);
        QFETCH(QDateTime, local);
        QCOMPARE(brindle::GMTToLocalTime(stored, offset), local);
    }

    void appliesTheOffsetInForceAtTheRun_data() {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QDateTime>("stored");
        QTest::addColumn<QDateTime>("local");
        QTest::addRow("UTC-5 at noon")
            << QByteArray("EST5") << -5 * 3600 << utc(2026, 6, 1, 12) << utc(2026, 6, 1, 7);
        QTest::addRow("UTC-5 into the previous day")
            << QByteArray("EST5") << -5 * 3600 << utc(2026, 6, 1, 2) << utc(2026, 5, 31, 21);
        QTest::addRow("UTC+1 named CET")
            << QByteArray("CET-1") << 3600 << utc(2026, 6, 1, 12) << utc(2026, 6, 1, 13);
        QTest::addRow("UTC+1 unnamed")
            << QByteArray("<+01>-1") << 3600 << utc(2026, 6, 1, 23) << utc(2026, 6, 2);
        // Daylight saving from 1 January 00:00 to 31 December 25:00: in force whenever the test runs.
        QTest::addRow("a January time gets the summer offset")
            << QByteArray("XST0XDT-1,J1/0,J365/25") << 3600 << utc(2026, 1, 15, 12) << utc(2026, 1, 15, 13);
    }
    void appliesTheOffsetInForceAtTheRun() {
        QFETCH(QByteArray, tz);
        QFETCH(int, offset);
        QFETCH(QDateTime, stored);
        QFETCH(QDateTime, local);
        ZoneScope zone(tz);
        QCOMPARE(brindle::currentLocalOffsetSeconds(), offset);
        QCOMPARE(brindle::GMTToLocalTime(stored, brindle::currentLocalOffsetSeconds()), local);
    }

    void writesUsStyleText_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<QString>("text");
        const QList<QPair<const char*, QLocale>> locales = {
            {"C", QLocale::c()}, {"en_US", QLocale(QLocale::English, QLocale::UnitedStates)}};
        for (const auto& [name, locale] : locales) {
            QTest::addRow("%s afternoon", name)
                << locale << utc(2026, 12, 5, 15, 4, 5) << "12/5/2026 3:04:05 PM";
            QTest::addRow("%s morning", name) << locale << utc(2026, 1, 2, 9, 5, 6) << "1/2/2026 9:05:06 AM";
            QTest::addRow("%s noon", name) << locale << utc(2026, 12, 5, 12) << "12/5/2026 12:00:00 PM";
            QTest::addRow("%s one second after midnight", name)
                << locale << utc(2026, 12, 5, 0, 0, 1) << "12/5/2026 12:00:01 AM";
            QTest::addRow("%s exact midnight drops the time", name)
                << locale << utc(2026, 12, 5) << "12/5/2026";
            QTest::addRow("%s first instant of 1601", name) << locale << utc(1601, 1, 1) << "1/1/1601";
        }
    }
    void writesUsStyleText() {
        QFETCH(QLocale, locale);
        QFETCH(QDateTime, local);
        QFETCH(QString, text);
        QCOMPARE(brindle::dateText(local, locale), text);
    }

    void writesATimeBefore1601AsTheFirstDayOf1601() {
        const QDateTime local = brindle::GMTToLocalTime(utc(1500, 6, 1, 10), -5 * 3600);
        QCOMPARE(brindle::dateText(local, QLocale::c()), QStringLiteral("1/1/1601"));
    }

    void writesOtherLocalesWithAFourDigitYearAndNoZone_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<QString>("text");
        const QDateTime afternoon = utc(2026, 12, 5, 15, 4, 5);
        QTest::addRow("German") << "de_DE" << afternoon << "05.12.2026 15:04:05";
        QTest::addRow("German at midnight") << "de_DE" << utc(2026, 12, 5) << "05.12.2026";
        QTest::addRow("British, year already four digits") << "en_GB" << afternoon << "05/12/2026 15:04:05";
        QTest::addRow("Spanish, zone in parentheses") << "es_ES" << afternoon << "5/12/2026 15:04:05";
        QTest::addRow("Chinese, zone first") << "zh_CN" << afternoon << "2026/12/5 15:04:05";
        QTest::addRow("Albanian, zone after a comma")
            << "sq_AL" << afternoon << "5.12.2026 3:04:05 E PASDITES";
        QTest::addRow("Bulgarian, quoted letters kept")
            << "bg_BG" << afternoon << QString::fromUtf8("5.12.2026 г. 15:04:05 ч.");
        QTest::addRow("Korean") << "ko_KR" << afternoon << QString::fromUtf8("2026. 12. 5. 오후 3시 4분 5초");
    }
    void writesOtherLocalesWithAFourDigitYearAndNoZone() {
        QFETCH(QString, locale);
        QFETCH(QDateTime, local);
        QFETCH(QString, text);
        QCOMPARE(brindle::dateText(local, QLocale(locale)), text);
    }

    void readsStoredTimes_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("parsed");
        QTest::addColumn<QDateTime>("time");
        const QDateTime afternoon = utc(2026, 12, 5, 15, 4, 5);
        QTest::addRow("text with a blank") << QVariant("2026-12-05 15:04:05") << true << afternoon;
        QTest::addRow("text with a T") << QVariant("2026-12-05T15:04:05") << true << afternoon;
        QTest::addRow("fractional seconds dropped")
            << QVariant("2026-12-05 15:04:05.123") << true << afternoon;
        QTest::addRow("a date alone is midnight") << QVariant("2026-12-05") << true << utc(2026, 12, 5);
        QTest::addRow("a year before 1601") << QVariant("1500-06-01 10:00:00") << true << utc(1500, 6, 1, 10);
        QTest::addRow("a date value is midnight") << QVariant(QDate(2026, 12, 5)) << true << utc(2026, 12, 5);
        QTest::addRow("a UTC date-time") << QVariant(afternoon) << true << afternoon;
        QTest::addRow("a UTC date-time with milliseconds")
            << QVariant(QDateTime(QDate(2026, 12, 5), QTime(15, 4, 5, 678), Qt::UTC)) << true << afternoon;
        QTest::addRow("no value") << QVariant() << false << QDateTime();
        QTest::addRow("a Null date-time")
            << QVariant(QMetaType::fromType<QDateTime>()) << false << QDateTime();
        QTest::addRow("a Null text") << QVariant(QMetaType::fromType<QString>()) << false << QDateTime();
        QTest::addRow("empty text") << QVariant("") << false << QDateTime();
        QTest::addRow("garbage") << QVariant("garbage") << false << QDateTime();
        QTest::addRow("a U.S. date") << QVariant("12/5/2026") << false << QDateTime();
        QTest::addRow("U.S. date text") << QVariant("12/5/2026 3:04:05 PM") << false << QDateTime();
        QTest::addRow("a two-digit year") << QVariant("26-12-05 15:04:05") << false << QDateTime();
        QTest::addRow("a trailing line break") << QVariant("2026-12-05 15:04:05\n") << false << QDateTime();
        QTest::addRow("minutes without seconds") << QVariant("2026-12-05 15:04") << false << QDateTime();
        QTest::addRow("30 February") << QVariant("2026-02-30 10:00:00") << false << QDateTime();
        QTest::addRow("hour 24") << QVariant("2026-12-05 24:00:00") << false << QDateTime();
        QTest::addRow("an integer") << QVariant(20261205) << false << QDateTime();
        QTest::addRow("an invalid date-time") << QVariant(QDateTime()) << false << QDateTime();
    }
    void readsStoredTimes() {
        QFETCH(QVariant, value);
        QFETCH(bool, parsed);
        QFETCH(QDateTime, time);
        const std::optional<QDateTime> result = brindle::storedTime(value);
        QCOMPARE(result.has_value(), parsed);
        if (!parsed) return;
        QCOMPARE(*result, time);
        QCOMPARE(result->timeSpec(), Qt::UTC);
    }

    void readsStoredDateTimeComponentsAsUtcWhateverTheSpec() {
        ZoneScope zone("EST5");
        const QDateTime local(QDate(2026, 12, 5), QTime(15, 4, 5), Qt::LocalTime);
        const QDateTime plusTwo(QDate(2026, 12, 5), QTime(15, 4, 5), Qt::OffsetFromUTC, 7200);
        for (const QDateTime& stored : {local, plusTwo}) {
            const std::optional<QDateTime> result = brindle::storedTime(stored);
            QVERIFY(result.has_value());
            QCOMPARE(*result, utc(2026, 12, 5, 15, 4, 5));
        }
    }
};

QTEST_GUILESS_MAIN(TimeFunctionsTest)
#include "test_time_functions.moc"
