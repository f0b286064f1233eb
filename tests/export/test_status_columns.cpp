// The message-waiting, time, credential, volume, greeting and mailbox columns of one
// subscriber, read back from a real export of a fixture host: the failures and boundaries
// that the golden export's sample host does not have.
#include <time.h>

#include <QDateTime>
#include <QTest>

#include "support/column_case.h"

using namespace brindle;
using namespace brindle::testing;
using brindle::fixture::HostBuilder;
using brindle::fixture::SubscriberRows;

using Rows = QList<QVariantList>;

namespace {

void setTimeZone(const char* tz) {
    qputenv("TZ", tz);
    tzset();
}

QString utcText(qint64 secondsFromNow) {
    return QDateTime::currentDateTimeUtc().addSecs(secondsFromNow).toString("yyyy-MM-dd HH:mm:ss");
}

auto devices(const Rows& rows) {
    return [rows](SubscriberRows& s, HostBuilder&) { s.mwiDevices = rows; };
}

auto times(const char* tz, const QVariant& lastCall, const QVariant& changed, const QVariant& created) {
    return [=](SubscriberRows& s, HostBuilder&) {
        setTimeZone(tz);
        s.set("TimeLastCall", lastCall).set("CreationTime", created).credentials = {{4, 0, changed}};
    };
}

auto greetings(const char* tz, const Rows& rows) {
    return [=](SubscriberRows& s, HostBuilder&) {
        setTimeZone(tz);
        s.set("SubscriberObjectID", "greeted").greetings = rows;
    };
}

}  // namespace

class StatusColumnsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init() { setTimeZone("UTC0"); }
    void cleanupTestCase() { qunsetenv("TZ"); }

    // The primary string, the nine alternates and the status.
    void writesTheMwiStringsAndStatus_data() {
        addColumnCaseColumn();
        QTest::newRow("a primary in other letter case is neither; the first device decides the status")
            << ColumnCase{devices({{"MWI-1", "501", 0}, {"mwi-1", "777", 1}, {"MWI-2", "502", 1}}),
                          QStringList{"501", "502"} + emptyFields(8) + QStringList{"0"}};
        QTest::newRow("a device without a name is neither")
            << ColumnCase{devices({{QVariant(), "9", 1}}),
                          emptyFields(10) << "1",
                          {"(error) search for primary MWI device for this subscriber did not return a "
                           "single row as expected"}};
        const QString failed = failedLookUpLine("vw_NotificationMWI");
        QTest::newRow("look-up fails") << ColumnCase{
            devices({{"MWI-1", "501", 1}}),
            emptyFields(10) << " ",
            {failed, failed, failed, "(error) could not find any MWI devices for this subscriber"},
            "vw_NotificationMWI"};
    }
    void writesTheMwiStringsAndStatus() {
        checkColumnCase({"Primary MWI String", "All Alternate MWI Strings", "MWI Status"});
    }

    void showsStoredTimesInLocalTime_data() {
        addColumnCaseColumn();
        const QString changed = "2026-11-30 14:30:00";
        QTest::newRow("UTC-5, the day before, midnight as a date")
            << ColumnCase{times("EST5", "2026-12-01 02:00:00", changed, "2026-12-01 05:00:00"),
                          {"11/30/2026 9:00:00 PM", "11/30/2026 9:30:00 AM", "12/1/2026"}};
        QTest::newRow("database forms")
            << ColumnCase{times("UTC0", "2026-11-30T14:30:00.250", changed,
                                QDateTime(QDate(2025, 1, 15), QTime(9, 0), Qt::LocalTime)),
                          {"11/30/2026 2:30:00 PM", "11/30/2026 2:30:00 PM", "1/15/2025 9:00:00 AM"}};
        QTest::newRow("empty and Nulls")
            << ColumnCase{times("UTC0", "", QVariant(), QVariant()), {"none", "", ""}};
        QTest::newRow("not times") << ColumnCase{times("UTC0", "not a time", "30/11/2026", "yesterday"),
                                                 emptyFields(3),
                                                 {"(error) TimeLastCall \"not a time\" is not a time",
                                                  "(error) TimeChanged \"30/11/2026\" is not a time",
                                                  "(error) CreationTime \"yesterday\" is not a time"}};
        QTest::newRow("Null lock, volume 0, an empty name is recorded") << ColumnCase{
            [](SubscriberRows& s, HostBuilder&) {
                s.set("Volume", 0).set("VoiceName", "").credentials = {{4, QVariant(), QVariant()}};
            },
            {"0", "Quieter", "1"},
            {},
            {},
            {"Subscriber Lockout Status", "Default Playback Volume", "Voice Name Recorded"}};
        QTest::newRow("two password credentials") << ColumnCase{
            [](SubscriberRows& s, HostBuilder&) {
                s.set("TimeLastCall", QVariant()).set("CreationTime", QVariant()).credentials = {
                    {4, 0, QVariant()}, {4, 0, QVariant()}};
            },
            {"none", "(error)", ""},
            {"(error) could not find Credential entry for this subscriber"}};
        QTest::newRow("before 1601") << ColumnCase{times("EST5", "1500-06-01 10:00:00", changed, QVariant()),
                                                   {"1/1/1601", "11/30/2026 9:30:00 AM", ""}};
    }
    void showsStoredTimesInLocalTime() {
        checkColumnCase({"Time of Last Call", "Time of last password change", "Date of subscriber creation"});
    }

    void writesWhichGreetingsAreEnabled_data() {
        addColumnCaseColumn();
        const Rows five{{"Alternate", QVariant()},
                        {"Busy", utcText(-3600)},
                        {"Internal", utcText(3600)},
                        {"Off Hours", "2020-01-01 00:00:00"},
                        {"Holiday", "2031-01-01 00:00:00"}};
        // Expiry is UTC: local time, hours away from it, must not decide.
        QTest::newRow("ahead by half an hour, east of UTC")
            << ColumnCase{greetings("<+05>-5", {five[0], {"Busy", utcText(1800)}, five[2], five[3], five[4]}),
                          {"1", "1", "1", "0", "1"}};
        QTest::newRow("past by half an hour, west of UTC")
            << ColumnCase{greetings("EST5", {five[0], {"Busy", utcText(-1800)}, five[2], five[3], five[4]}),
                          {"1", "0", "1", "0", "1"}};
        QTest::newRow("five rows without Holiday")
            << ColumnCase{greetings("UTC0", five.mid(0, 4) + Rows{{"Busy", QVariant()}}),
                          {"1", "0", "1", "0", ""},
                          {"(error) could not find Holiday greetig for this subscriber"}};
        QTest::newRow("look-up fails") << ColumnCase{
            greetings("UTC0", five),
            emptyFields(5),
            {failedLookUpLine("vw_Greeting"),
             "(error) did not find all 5 greeting rules for this subscriber by objectid=greeted"},
            "vw_Greeting"};
    }
    void writesWhichGreetingsAreEnabled() { checkColumnCase({"Greetings Enabled"}); }

    void writesMailboxFigures_data() {
        addColumnCaseColumn();
        const auto mailbox = [](const QVariantList& figures) {
            return [figures](SubscriberRows& s, HostBuilder&) { s.mailbox = figures; };
        };
        QTest::newRow("zero, below, beyond 32 bits")
            << ColumnCase{mailbox({0, -1, qint64(5'000'000'000), 3}), {" 0", "-1", " 5000000000", " 3"}};
        const QStringList unreachable{failedLookUpLine("mailbox"),
                                      "(error) could not find mailbox information for this subscriber"};
        QTest::newRow("message store unreachable")
            << ColumnCase{mailbox({1, 2, 3, 4}), QStringList(4, "(error)"),
                          unreachable + unreachable + unreachable + unreachable, "mailbox"};
    }
    void writesMailboxFigures() {
        checkColumnCase({"Mailbox bytes in use", "Mailbox send limit (bytes)",
                         "Mailbox receive limit (bytes)", "Mailbox warning size (bytes)"});
    }
};

QTEST_GUILESS_MAIN(StatusColumnsTest)
#include "test_status_columns.moc"
