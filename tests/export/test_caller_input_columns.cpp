// The twelve caller input key columns of a real export of a fixture host.
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
        QCOMPARE(out.header.size(), 12);
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
