// The twelve caller input key columns of a real export of a fixture host, and the action text
// each key's entry gives.
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "support/column_export.h"
#include "support/recording_notifier.h"

using namespace brindle;
using namespace brindle::testing;
using brindle::fixture::HostBuilder;

using Rows = QList<QVariantList>;

namespace {

const QStringList kKeys{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "*", "#"};
const QString kNotAllTwelve =
    QStringLiteral("(error) could not find all 12 menu entry records for this subscriber");
const QString kIllegal =
    QStringLiteral("Error in ConstructActionSTring function.  Illegal conversation name:");

// One entry per key, each "Hang Up".
Rows everyKey() {
    Rows rows;
    for (const QString& key : kKeys) rows.append({key, 1, QVariant(), QVariant()});
    return rows;
}

}  // namespace

class CallerInputColumnsTest : public QObject {
    Q_OBJECT

private slots:
    void writesTheTwelveKeysInOrder_data() {
        QTest::addColumn<Rows>("entries");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("log");
        Rows reversed = everyKey();
        std::reverse(reversed.begin(), reversed.end());
        reversed[0] = {"#", 5, QVariant(), QVariant()};
        reversed[11] = {"0", 2, "SubSignIn", QVariant()};
        QTest::addRow("any order") << reversed
                                   << QStringList{"Route to subscriber sign in"} +
                                          QStringList(10, "Hang Up") + QStringList{"Skip Greeting"}
                                   << QStringList();
        QTest::addRow("eleven entries")
            << everyKey().mid(0, 11) << emptyFields(12) << QStringList{kNotAllTwelve};
        Rows twoFives = everyKey().mid(0, 11);
        twoFives[5] = {"5", 4, QVariant(), QVariant()};
        twoFives.append({"5", 0, QVariant(), QVariant()});
        QTest::addRow("two for 5, none for #")
            << twoFives
            << QStringList(5, "Hang Up") + QStringList{"Take Message"} + QStringList(5, "Hang Up") +
                   QStringList{""}
            << QStringList{"(error) could not find user input key for this subscriber by alias='#'"};
        Rows odd = everyKey();
        odd[2] = {"2", QVariant(), "SubSignIn", QVariant()};
        odd[3] = {"3", 40000, "SubSignIn", QVariant()};
        odd[4] = {"4", "many", "SubSignIn", QVariant()};
        QStringList oddFields = QStringList(12, "Hang Up");
        oddFields[2] = oddFields[3] = oddFields[4] = QString();
        QTest::addRow("Null, too large and not a number")
            << odd << oddFields
            << QStringList{"(error) in export. Description=Overflow, Source=Action, Number= 6",
                           "(error) in export. Description=Type mismatch, Source=Action, Number= 13"};
    }
    void writesTheTwelveKeysInOrder() {
        QFETCH(Rows, entries);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, log);
        HostBuilder host;
        host.subscriber("jsmith").menuEntries = entries;
        RUN_EXPORT(out, host, {"Caller Input Key Actions"});
        QCOMPARE(out.lines.value(0), expected);
        QCOMPARE(out.logOf("jsmith"), log);
    }

    void aFailedLookUpGivesTwelveEmptyFields() {
        HostBuilder host;
        host.subscriber("jsmith");
        RUN_EXPORT(out, host, {"Caller Input Key Actions"}, {.failingView = "vw_MenuEntry"});
        QCOMPARE(out.lines.value(0), emptyFields(12));
        const QStringList log = out.logOf("jsmith");
        QCOMPARE(log.size(), 2);
        QVERIFY(log[0].startsWith("(error) in export. Description=Invalid object name 'vw_MenuEntry'."));
        QCOMPARE(log[1], kNotAllTwelve);
    }

    // Key 1's entry against a directory of handlers; `shown` is what the window is told.
    void describesTheAction_data() {
        QTest::addColumn<QString>("conversation");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("failingView");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* tag, const QString& conversation, int action, const QString& target,
                            const QString& expected, const QString& shown = QString(),
                            const QString& failingView = QString()) {
            QTest::addRow("%s", tag) << conversation << action << target << failingView << expected << shown;
        };
        row("0 whatever else", "nonsense", 0, "ch-operator", "Ignore Key");
        row("3 has no case", "SubSignIn", 3, "", "(Error)");
        row("4", "", 4, "", "Take Message");
        row("a fixed conversation", "EasySignIn", 2, "", "Route to easy subscriber sign in");
        row("AD: Operators", "AD", 2, "dh-ops", "Route to name lookup handler:Operators");
        row("AD: no such handler", "AD", 2, "dh-none", "Invalid Link!");
        row("AD: [dontset] is only for PH", "AD", 2, "[dontset]", "Invalid Link!");
        row("PHGreeting [DontSet]", "PHGreeting", 2, "[DontSet]", "Set to go to greeting");
        row("PHTransfer [dontset]", "PHTransfer", 2, "[dontset]", "Set to attempt to ring phone");
        row("PHTransfer primary: the subscriber", "PHTransfer", 2, "%own", "Ring phone for: Jane Doe");
        row("PHGreeting not primary: the handler", "PHGreeting", 2, "ch-operator",
            "Send to greeting for: Operator");
        row("Null IsPrimary is not primary", "PHGreeting", 2, "ch-nullprimary",
            "Send to greeting for: Front desk");
        row("Null display name", "PHGreeting", 2, "ch-nameless", "(Error)");
        row("primary of no subscriber", "PHGreeting", 2, "ch-gone", "Invalid Link!");
        row("no such call handler", "PHGreeting", 2, "ch-none", "Invalid Link!");
        row("two call handlers", "PHTransfer", 2, "ch-twice", "Invalid Link!");
        row("a quote in the id", "PHTransfer", 2, "x' OR '1'='1", "Invalid Link!");
        row("CHInterview", "CHInterview", 2, "ih-jobs", "Send to interviewer: Job line");
        row("CHInterview: none", "CHInterview", 2, "ih-none", "Invalid Link!");
        row("case matters", "subsignin", 2, "", "(Error)", kIllegal + "subsignin");
        row("empty name", "", 2, "", "(Error)", kIllegal);
        row("look-up fails", "PHTransfer", 2, "ch-operator", "Invalid Link!",
            "(error):208 (Invalid object name 'vw_CallHandler'.) in procedure strConstructActionString of "
            "Form frmMain",
            "vw_CallHandler");
    }
    void describesTheAction() {
        QFETCH(QString, conversation);
        QFETCH(int, action);
        QFETCH(QString, target);
        QFETCH(QString, failingView);
        QFETCH(QString, expected);
        QFETCH(QString, shown);
        HostBuilder host;
        auto& rows = host.subscriber("jsmith").set("DisplayName", "Jane Doe");
        if (target == "%own") target = rows.subscriber.value("CallHandlerObjectID").toString();
        rows.menuEntries = everyKey();
        rows.menuEntries[1] = {"1", action, conversation, target};
        host.addRow("vw_CallHandler",
                    {{"ObjectID", "ch-operator"}, {"IsPrimary", 0}, {"DisplayName", "Operator"}});
        host.addRow("vw_CallHandler", {{"ObjectID", "ch-nullprimary"}, {"DisplayName", "Front desk"}});
        host.addRow("vw_CallHandler", {{"ObjectID", "ch-nameless"}, {"IsPrimary", 0}});
        host.addRow("vw_CallHandler",
                    {{"ObjectID", "ch-gone"}, {"IsPrimary", 1}, {"Recipient_SubscriberObjectID", "nobody"}});
        host.addRow("vw_CallHandler", {{"ObjectID", "ch-twice"}, {"DisplayName", "One"}});
        host.addRow("vw_CallHandler", {{"ObjectID", "ch-twice"}, {"DisplayName", "Two"}});
        host.addRow("vw_DirectoryHandler", {{"ObjectID", "dh-ops"}, {"DisplayName", "Operators"}});
        host.addRow("vw_InterviewHandler", {{"ObjectID", "ih-jobs"}, {"DisplayName", "Job line"}});
        RecordingNotifier window;
        RUN_EXPORT(out, host, {"Caller Input Key Actions"},
                   {.failingView = failingView, .notifier = &window});
        QCOMPARE(out.lines.value(0).value(1), expected);
        const QStringList shownOnce = shown.isEmpty() ? QStringList() : QStringList{shown};
        QCOMPARE(window.messages, shownOnce);
        // What the window is told is logged too, marked as an error once.
        const QString logged = shown.startsWith("(error)") ? shown : "(error) " + shown;
        QCOMPARE(out.logOf("jsmith"), shown.isEmpty() ? QStringList() : QStringList{logged});
    }

    // The window shows each distinct text once a run; the log gets every occurrence.
    void anIllegalConversationIsShownOnceAndLoggedEachTime_data() {
        QTest::addColumn<bool>("window");
        QTest::addRow("window") << true;
        QTest::addRow("command line") << false;
    }
    void anIllegalConversationIsShownOnceAndLoggedEachTime() {
        QFETCH(bool, window);
        HostBuilder host;
        for (const char* alias : {"a", "b", "c"}) {
            Rows entries = everyKey();
            entries[1] = {"1", 2, "Odd", QVariant()};
            entries[2] = {"2", 2, "Odd", QVariant()};
            entries[3] = {"3", 2, "Stranger", QVariant()};
            host.subscriber(alias).menuEntries = entries;
        }
        RecordingNotifier boxes;
        RUN_EXPORT(out, host, {"Caller Input Key Actions"}, {.notifier = window ? &boxes : nullptr});
        QCOMPARE(out.lines.value(2).mid(1, 3), QStringList(3, "(Error)"));
        QCOMPARE(out.logOf("b"), (QStringList{"(error) " + kIllegal + "Odd", "(error) " + kIllegal + "Odd",
                                              "(error) " + kIllegal + "Stranger"}));
        QCOMPARE(out.log.count(kIllegal), 9);
        const QStringList shown{kIllegal + "Odd", kIllegal + "Stranger"};
        QCOMPARE(boxes.messages, window ? shown : QStringList());
    }
};

QTEST_GUILESS_MAIN(CallerInputColumnsTest)
#include "test_caller_input_columns.moc"
