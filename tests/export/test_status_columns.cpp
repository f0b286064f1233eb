// The message-waiting, time, credential, volume, greeting and mailbox columns of one
// subscriber, read back from a real export of a fixture host.
#include <time.h>

#include <QDateTime>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "support/column_export.h"

using namespace brindle;
using namespace brindle::testing;
using brindle::fixture::HostBuilder;

using Rows = QList<QVariantList>;

namespace {

const QString kNoPrimaryMwi = QStringLiteral(
    "(error) search for primary MWI device for this subscriber did not return a single row as expected");
const QString kNoMwi = QStringLiteral("(error) could not find any MWI devices for this subscriber");
const QString kNoCredential = QStringLiteral("(error) could not find vw_Credential row for this subscriber");
const QString kNoPasswordCredential =
    QStringLiteral("(error) could not find Credential entry for this subscriber");
const QString kNoMailbox = QStringLiteral("(error) could not find mailbox information for this subscriber");
const QString kNotFiveGreetings =
    QStringLiteral("(error) did not find all 5 greeting rules for this subscriber by objectid=%1");

void setTimeZone(const char* tz) {
    qputenv("TZ", tz);
    tzset();
}

QString utcText(qint64 secondsFromNow) {
    return QDateTime::currentDateTimeUtc()
        .addSecs(secondsFromNow)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

}  // namespace

class StatusColumnsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init() { setTimeZone("UTC0"); }
    void cleanupTestCase() { qunsetenv("TZ"); }

    // The primary string, the nine alternates and the status, from the same devices.
    void writesTheMwiStringsAndStatus_data() {
        QTest::addColumn<Rows>("devices");  // DisplayName, MWIExtension, MWIOn
        QTest::addColumn<QString>("failingView");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("log");
        const auto fields = [](const QStringList& strings, const QString& status) {
            return strings + emptyFields(10 - strings.size()) + QStringList{status};
        };
        QTest::addRow("two primaries: the first; the first device decides the status")
            << Rows{{"MWI-1", "501", 0}, {"mwi-1", "777", 1}, {"MWI-2", "502", 1}} << ""
            << fields({"501", "502"}, "0") << QStringList();
        QTest::addRow("no device") << Rows{} << "" << fields({}, " ") << QStringList{kNoPrimaryMwi, kNoMwi};
        QTest::addRow("Nulls") << Rows{{"MWI-1", QVariant(), QVariant()}} << "" << fields({}, "0")
                               << QStringList();
        QTest::addRow("a device without a name is neither")
            << Rows{{QVariant(), "9", 1}} << "" << fields({}, "1") << QStringList{kNoPrimaryMwi};
        Rows eleven{{"MWI-1", "500", 1}};
        QStringList nine{"500"};
        for (int i = 1; i <= 11; ++i) {
            eleven.append({QStringLiteral("MWI-%1").arg(i + 1), QString::number(600 + i), 0});
            if (i <= 9) nine << QString::number(600 + i);
        }
        QTest::addRow("eleven alternates: nine and a warning")
            << eleven << "" << fields(nine, "1")
            << QStringList{
                   "(warning) this subscriber has 11 alternate MWI devices; only the first 9 are exported"};
        const QString failed = failedLookUpLine("vw_NotificationMWI");
        QTest::addRow("look-up fails") << Rows{{"MWI-1", "501", 1}} << "vw_NotificationMWI" << fields({}, " ")
                                       << QStringList{failed, failed, failed, kNoMwi};
    }
    void writesTheMwiStringsAndStatus() {
        QFETCH(Rows, devices);
        QFETCH(QString, failingView);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, log);
        HostBuilder host;
        host.subscriber("jsmith").mwiDevices = devices;
        RUN_EXPORT(out, host, {"Primary MWI String", "All Alternate MWI Strings", "MWI Status"},
                   {.failingView = failingView});
        QCOMPARE(out.lines.value(0), expected);
        QCOMPARE(out.logOf("jsmith"), log);
    }

    void showsStoredTimesInLocalTime_data() {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<QVariant>("lastCall");
        QTest::addColumn<Rows>("credentials");
        QTest::addColumn<QVariant>("created");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("log");
        const Rows changed{{4, 0, "2026-11-30 14:30:00"}};
        QTest::addRow("UTC+1") << QByteArray("<+01>-1") << QVariant("2026-11-30 14:30:00") << changed
                               << QVariant("2025-01-15 09:00:00")
                               << QStringList{"11/30/2026 3:30:00 PM", "11/30/2026 3:30:00 PM",
                                              "1/15/2025 10:00:00 AM"}
                               << QStringList();
        QTest::addRow("UTC-5, the day before")
            << QByteArray("EST5") << QVariant("2026-12-01 02:00:00") << changed
            << QVariant("2026-12-01 05:00:00")
            << QStringList{"11/30/2026 9:00:00 PM", "11/30/2026 9:30:00 AM", "12/1/2026"} << QStringList();
        QTest::addRow("database forms")
            << QByteArray("UTC0") << QVariant("2026-11-30T14:30:00.250") << changed
            << QVariant(QDateTime(QDate(2025, 1, 15), QTime(9, 0), Qt::LocalTime))
            << QStringList{"11/30/2026 2:30:00 PM", "11/30/2026 2:30:00 PM", "1/15/2025 9:00:00 AM"}
            << QStringList();
        QTest::addRow("Nulls") << QByteArray("UTC0") << QVariant() << Rows{{4, 0, QVariant()}} << QVariant()
                               << QStringList{"none", "", ""} << QStringList();
        QTest::addRow("empty last call") << QByteArray("UTC0") << QVariant("") << changed << QVariant()
                                         << QStringList{"none", "11/30/2026 2:30:00 PM", ""} << QStringList();
        QTest::addRow("not times") << QByteArray("UTC0") << QVariant("not a time")
                                   << Rows{{4, 0, "30/11/2026"}} << QVariant("yesterday") << emptyFields(3)
                                   << QStringList{"(error) TimeLastCall \"not a time\" is not a time",
                                                  "(error) TimeChanged \"30/11/2026\" is not a time",
                                                  "(error) CreationTime \"yesterday\" is not a time"};
        QTest::addRow("no password credential")
            << QByteArray("UTC0") << QVariant() << Rows{{3, 0, "2026-11-30 14:30:00"}} << QVariant()
            << QStringList{"none", "(error)", ""} << QStringList{kNoPasswordCredential};
        QTest::addRow("two password credentials")
            << QByteArray("UTC0") << QVariant() << changed + changed << QVariant()
            << QStringList{"none", "(error)", ""} << QStringList{kNoPasswordCredential};
        QTest::addRow("before 1601") << QByteArray("EST5") << QVariant("1500-06-01 10:00:00") << changed
                                     << QVariant() << QStringList{"1/1/1601", "11/30/2026 9:30:00 AM", ""}
                                     << QStringList();
    }
    void showsStoredTimesInLocalTime() {
        QFETCH(QByteArray, tz);
        QFETCH(QVariant, lastCall);
        QFETCH(Rows, credentials);
        QFETCH(QVariant, created);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, log);
        setTimeZone(tz.constData());
        HostBuilder host;
        auto& rows = host.subscriber("jsmith").set("TimeLastCall", lastCall).set("CreationTime", created);
        rows.credentials = credentials;
        // A second subscriber after the first shows that nothing carries over.
        host.subscriber("ann").set("TimeLastCall", "not a time").set("CreationTime", QVariant());
        RUN_EXPORT(out, host,
                   {"Time of Last Call", "Time of last password change", "Date of subscriber creation"});
        QCOMPARE(out.lines.value(0), expected);
        QCOMPARE(out.logOf("jsmith"), log);
        QCOMPARE(out.lines.value(1).value(0), QString());
    }

    void writesLockoutVolumeAndVoiceNameRecorded_data() {
        QTest::addColumn<Rows>("credentials");
        QTest::addColumn<QVariant>("volume");
        QTest::addColumn<QVariant>("voiceName");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("log");
        QTest::addRow("locked, 50, a name") << Rows{{4, 1, QVariant()}} << QVariant(50) << QVariant("x.wav")
                                            << QStringList{"1", "Medium", "1"} << QStringList();
        QTest::addRow("unlocked, 100, empty name")
            << Rows{{4, 0, QVariant()}} << QVariant(100) << QVariant("") << QStringList{"0", "Louder", "1"}
            << QStringList();
        QTest::addRow("Null lock, 25, no name")
            << Rows{{4, QVariant(), QVariant()}} << QVariant(25) << QVariant()
            << QStringList{"0", "Quieter", "0"} << QStringList();
        QTest::addRow("no credential, 0") << Rows{} << QVariant(0) << QVariant()
                                          << QStringList{"0", "Quieter", "0"} << QStringList{kNoCredential};
        QTest::addRow("two credentials, Null volume")
            << Rows{{4, 1, QVariant()}, {4, 1, QVariant()}} << QVariant() << QVariant()
            << QStringList{"0", "Medium", "0"} << QStringList{kNoCredential};
        QTest::addRow("only another type") << Rows{{3, 1, QVariant()}} << QVariant(50) << QVariant()
                                           << QStringList{"0", "Medium", "0"} << QStringList{kNoCredential};
    }
    void writesLockoutVolumeAndVoiceNameRecorded() {
        QFETCH(Rows, credentials);
        QFETCH(QVariant, volume);
        QFETCH(QVariant, voiceName);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, log);
        HostBuilder host;
        host.subscriber("jsmith").set("Volume", volume).set("VoiceName", voiceName).credentials = credentials;
        RUN_EXPORT(out, host,
                   {"Subscriber Lockout Status", "Default Playback Volume", "Voice Name Recorded"});
        QCOMPARE(out.lines.value(0), expected);
        QCOMPARE(out.logOf("jsmith"), log);
    }

    void writesWhichGreetingsAreEnabled_data() {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<Rows>("greetings");
        QTest::addColumn<QString>("failingView");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("log");
        const Rows five{{"Alternate", QVariant()},
                        {"Busy", utcText(-3600)},
                        {"Internal", utcText(3600)},
                        {"Off Hours", "2020-01-01 00:00:00"},
                        {"Holiday", "2031-01-01 00:00:00"}};
        // Expiry is UTC: local time, hours away from it, must not decide.
        QTest::addRow("ahead by half an hour, east of UTC")
            << QByteArray("<+05>-5") << Rows{five[0], {"Busy", utcText(1800)}, five[2], five[3], five[4]}
            << "" << QStringList{"1", "1", "1", "0", "1"} << QStringList();
        QTest::addRow("past by half an hour, west of UTC")
            << QByteArray("EST5") << Rows{five[0], {"Busy", utcText(-1800)}, five[2], five[3], five[4]} << ""
            << QStringList{"1", "0", "1", "0", "1"} << QStringList();
        QTest::addRow("a sixth type is never reported")
            << QByteArray("UTC0") << five + Rows{{"Standard", QVariant()}} << ""
            << QStringList{"1", "0", "1", "0", "1"} << QStringList();
        QTest::addRow("four rows") << QByteArray("UTC0") << five.mid(0, 4) << "" << emptyFields(5)
                                   << QStringList{kNotFiveGreetings};
        QTest::addRow("five rows without Holiday")
            << QByteArray("UTC0") << five.mid(0, 4) + Rows{{"Busy", QVariant()}} << ""
            << QStringList{"1", "0", "1", "0", ""}
            << QStringList{"(error) could not find Holiday greetig for this subscriber"};
        QTest::addRow("look-up fails") << QByteArray("UTC0") << five << "vw_Greeting" << emptyFields(5)
                                       << QStringList{failedLookUpLine("vw_Greeting"), kNotFiveGreetings};
    }
    void writesWhichGreetingsAreEnabled() {
        QFETCH(QByteArray, tz);
        QFETCH(Rows, greetings);
        QFETCH(QString, failingView);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, log);
        setTimeZone(tz.constData());
        HostBuilder host;
        auto& rows = host.subscriber("jsmith");
        rows.greetings = greetings;
        RUN_EXPORT(out, host, {"Greetings Enabled"}, {.failingView = failingView});
        QCOMPARE(out.lines.value(0), expected);
        for (QString& line : log) line = line.arg(rows.id().toString());
        QCOMPARE(out.logOf("jsmith"), log);
    }

    void writesMailboxFigures_data() {
        QTest::addColumn<QVariant>("mailbox");
        QTest::addColumn<QString>("failingView");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("log");
        QTest::addRow("figures and a Null") << QVariant(QVariantList{2048, QVariant(), 0, -1}) << ""
                                            << QStringList{" 2048", "0", " 0", "-1"} << QStringList();
        QTest::addRow("beyond 32 bits") << QVariant(QVariantList{qint64(5'000'000'000), 1, 2, 3}) << ""
                                        << QStringList{" 5000000000", " 1", " 2", " 3"} << QStringList();
        QTest::addRow("no mailbox") << QVariant() << "" << QStringList(4, "(error)")
                                    << QStringList(4, kNoMailbox);
        const QString failed = failedLookUpLine("mailbox");
        QTest::addRow("message store unreachable")
            << QVariant(QVariantList{1, 2, 3, 4}) << "mailbox" << QStringList(4, "(error)")
            << QStringList{failed, kNoMailbox, failed, kNoMailbox, failed, kNoMailbox, failed, kNoMailbox};
    }
    void writesMailboxFigures() {
        QFETCH(QVariant, mailbox);
        QFETCH(QString, failingView);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, log);
        HostBuilder host;
        auto& rows = host.subscriber("jsmith");
        rows.mailbox.reset();
        if (mailbox.isValid()) rows.mailbox = mailbox.toList();
        RUN_EXPORT(out, host,
                   {"Mailbox bytes in use", "Mailbox send limit (bytes)", "Mailbox receive limit (bytes)",
                    "Mailbox warning size (bytes)"},
                   {.failingView = failingView});
        QCOMPARE(out.lines.value(0), expected);
        QCOMPARE(out.logOf("jsmith"), log);
    }
};

QTEST_GUILESS_MAIN(StatusColumnsTest)
#include "test_status_columns.moc"
