// The twelve caller input key columns of a real export of a fixture host, and the action text
// each key's entry gives where the golden export's sample host has no such entry.
#include <QTest>

#include "support/column_case.h"
#include "support/recording_notifier.h"

using namespace brindle;
using namespace brindle::testing;
using brindle::fixture::HostBuilder;
using brindle::fixture::SubscriberRows;

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

auto menu(const Rows& entries) {
    return [entries](SubscriberRows& s, HostBuilder&) { s.menuEntries = entries; };
}

}  // namespace

class CallerInputColumnsTest : public QObject {
    Q_OBJECT

private slots:
    void writesTheTwelveKeysInOrder_data() {
        addColumnCaseColumn();
        Rows odd = everyKey();
        odd[4] = {"4", "many", "SubSignIn", QVariant()};
        QTest::newRow("an action that is not a number")
            << ColumnCase{menu(odd),
                          QStringList(4, "Hang Up") + QStringList{""} + QStringList(7, "Hang Up"),
                          {"(error) in export. Description=Type mismatch, Source=Action, Number= 13"}};
        QTest::newRow("look-up fails") << ColumnCase{menu(everyKey()),
                                                     emptyFields(12),
                                                     {failedLookUpLine("vw_MenuEntry"), kNotAllTwelve},
                                                     "vw_MenuEntry"};
    }
    void writesTheTwelveKeysInOrder() { checkColumnCase({"Caller Input Key Actions"}); }

    // A failed look-up of the handler a key leads to is shown to the window's user and logged.
    void aFailedHandlerLookUpIsShownAndLogged() {
        HostBuilder host;
        host.subscriber("jsmith").menuEntries = everyKey();
        host.subscribers()[0].menuEntries[1] = {"1", 2, "PHTransfer", "ch-operator"};
        RecordingNotifier window;
        RUN_EXPORT(out, host, {"Caller Input Key Actions"},
                   {.failingView = "vw_CallHandler", .notifier = &window});
        QCOMPARE(out.lines.value(0).value(1), "Invalid Link!");
        const QString shown =
            "(error):208 (Invalid object name 'vw_CallHandler'.) in procedure "
            "strConstructActionString of Form frmMain";
        QCOMPARE(window.messages, QStringList{shown});
        QCOMPARE(out.logOf("jsmith"), QStringList{shown});
    }

    // The window shows each distinct text once a run; the log gets every occurrence.
    void anIllegalConversationIsShownOnceAndLoggedEachTime() {
        HostBuilder host;
        for (const char* alias : {"a", "b", "c"}) {
            Rows entries = everyKey();
            entries[1] = {"1", 2, "Odd", QVariant()};
            entries[2] = {"2", 2, "Odd", QVariant()};
            entries[3] = {"3", 2, "Stranger", QVariant()};
            host.subscriber(alias).menuEntries = entries;
        }
        RecordingNotifier boxes;
        RUN_EXPORT(out, host, {"Caller Input Key Actions"}, {.notifier = &boxes});
        QCOMPARE(out.lines.value(2).mid(1, 3), QStringList(3, "(Error)"));
        QCOMPARE(out.logOf("b"), (QStringList{"(error) " + kIllegal + "Odd", "(error) " + kIllegal + "Odd",
                                              "(error) " + kIllegal + "Stranger"}));
        QCOMPARE(out.log.count(kIllegal), 9);
        QCOMPARE(boxes.messages, (QStringList{kIllegal + "Odd", kIllegal + "Stranger"}));
    }
};

QTEST_GUILESS_MAIN(CallerInputColumnsTest)
#include "test_caller_input_columns.moc"
