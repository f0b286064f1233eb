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
