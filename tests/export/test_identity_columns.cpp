// The subscriber's names, numbers, flags, extensions, switch and schedule, read back from a real
// export of a fixture host.
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "support/column_export.h"

using namespace brindle;
using namespace brindle::testing;
using brindle::fixture::HostBuilder;

using Rows = QList<QVariantList>;

namespace {

const QString kNoPrimaryLine =
    QStringLiteral("(error) could not find single primary extension number for this subscriber");
const QString kNoSwitchLine = QStringLiteral("(error) could not find MediaSwitch entry for this subscriber");

}  // namespace

class IdentityColumnsTest : public QObject {
    Q_OBJECT

private slots:
    // `field` names the subscriber's column, or "ch." one of its call handler, or "cos." one of
    // its class of service.
    void writesOneField_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("failingView");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("log");
        const auto row = [](const char* tag, const char* entry, const char* field, const QVariant& value,
                            const QString& expected, const QStringList& log = {},
                            const QString& failingView = {}) {
            QTest::addRow("%s", tag) << entry << field << value << failingView << expected << log;
        };
        const auto error = [](const char* description, int number, const char* source) {
            return QStringList{QStringLiteral("(error) in export. Description=%1, Source=%2, Number= %3")
                                   .arg(description, source)
                                   .arg(number)};
        };
        row("an alias with a quote", "Alias", "Alias", "o\"brien", "o\"brien");
        row("Null first name", "First Name", "FirstName", QVariant(), "");
        row("last name kept untrimmed", "Last Name", "LastName", "  Smith  ", "  Smith  ");
        row("display name with a comma", "Display Name", "DisplayName", "Smith, John", "Smith, John");
        row("Null text", "Billing ID", "BillingID", QVariant(), "");
        row("Null class of service name", "COS Name", "cos.DisplayName", QVariant(), "");
        row("a language", "Language", "Language", 1033, "ENU");
        row("an unknown language", "Language", "Language", 4242, "ERR");
        row("Null language", "Language", "Language", QVariant(), "");
        row("a language that is not a number", "Language", "Language", "abc", "",
            error("Type mismatch", 13, "Language"));
        row("a language beyond 32 bits", "Language", "Language", qint64(1) << 40, "",
            error("Overflow", 6, "Language"));
        row("not listed", "List In Directory", "ListInDirectory", 0, "0");
        row("listed, any non-zero", "List In Directory", "ListInDirectory", -1, "1");
        row("listed Null", "List In Directory", "ListInDirectory", QVariant(), "0");
        row("not enrolled", "Set for First Time Enrollment", "IsVmEnrolled", 0, "1");
        row("enrolled, any non-zero", "Set for First Time Enrollment", "IsVmEnrolled", 7, "0");
        row("enrolled Null", "Set for First Time Enrollment", "IsVmEnrolled", QVariant(), "1");
        row("negative length", "Maximum Message Length", "ch.MaxMsgLen", -1, "-1");
        row("Null length", "Maximum Message Length", "ch.MaxMsgLen", QVariant(), "");
        row("a fraction of a length", "Maximum Message Length", "ch.MaxMsgLen", 2.5, "2.5");
        row("a whole length stored as a fraction", "Maximum Message Length", "ch.MaxMsgLen", 300.0, "300");
        row("a length that is not a number", "Maximum Message Length", "ch.MaxMsgLen", "long", "",
            error("Type mismatch", 13, "MaxMsgLen"));
        row("unknown schedule", "Schedule Name", "ch.ScheduleSetObjectID", "schedule-gone", "");
        row("Null schedule id", "Schedule Name", "ch.ScheduleSetObjectID", QVariant(), "");
        row("schedule look-up fails", "Schedule Name", "ch.ScheduleSetObjectID",
            HostBuilder::kDefaultSchedule, "", {failedLookUpLine("vw_ScheduleSet")}, "vw_ScheduleSet");
    }
    void writesOneField() {
        QFETCH(QString, entry);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QString, failingView);
        QFETCH(QString, expected);
        QFETCH(QStringList, log);
        HostBuilder host;
        auto& rows = host.subscriber("jsmith");
        if (field.startsWith("ch.")) {
            rows.callHandler->insert(field.mid(3), value);
        } else if (field.startsWith("cos.")) {
            host.addRow("vw_COS", {{"ObjectID", "cos-own"}, {field.mid(4), value}});
            rows.set("COSObjectID", "cos-own");
        } else {
            rows.set(field, value);
        }
        RUN_EXPORT(out, host, {entry}, {.failingView = failingView});
        QCOMPARE(out.lines, QList<QStringList>{{expected}});
        QCOMPARE(out.logOf(rows.subscriber.value("Alias").toString()), log);
    }

    // The primary extension, then the nine alternates, of a subscriber whose id holds a quote.
    void writesThePrimaryAndNineAlternateExtensions_data() {
        QTest::addColumn<Rows>("extensions");  // IdIndex, DTMFAccessID
        QTest::addColumn<QString>("failingView");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("log");
        QTest::addRow("in the directory's order, not by index")
            << Rows{{3, "3003"}, {0, "2001"}, {1, "3001"}} << ""
            << QStringList{"2001", "3003", "3001"} + emptyFields(7) << QStringList();
        QTest::addRow("no extension at all")
            << Rows{} << "" << QStringList{"0"} + emptyFields(9) << QStringList{kNoPrimaryLine};
        QTest::addRow("two IdIndex 0 rows")
            << Rows{{0, "2001"}, {0, "2002"}} << "" << QStringList{"0"} + emptyFields(9)
            << QStringList{kNoPrimaryLine};
        QTest::addRow("a Null IdIndex is neither")
            << Rows{{QVariant(), "2001"}, {1, "3001"}} << "" << QStringList{"0", "3001"} + emptyFields(8)
            << QStringList{kNoPrimaryLine};
        QTest::addRow("a Null number gives an empty field, in its place")
            << Rows{{0, QVariant()}, {1, QVariant()}, {2, "3002"}} << ""
            << QStringList{"", "", "3002"} + emptyFields(7) << QStringList();
        Rows nine{{0, "1000"}}, eleven{{0, "1000"}};
        QStringList firstNine{"1000"};
        for (int i = 1; i <= 11; ++i) {
            if (i <= 9) nine.append({i, QString::number(3000 + i)});
            if (i <= 9) firstNine << QString::number(3000 + i);
            eleven.append({i, QString::number(3000 + i)});
        }
        QTest::addRow("exactly nine") << nine << "" << firstNine << QStringList();
        QTest::addRow("eleven: the first nine and a warning")
            << eleven << "" << firstNine
            << QStringList{
                   "(warning) this subscriber has 11 alternate extensions; only the first 9 are exported"};
        QTest::addRow("look-up fails")
            << Rows{{0, "1000"}, {1, "3001"}} << "vw_DTMFAccessID" << QStringList{"0"} + emptyFields(9)
            << QStringList{failedLookUpLine("vw_DTMFAccessID"), kNoPrimaryLine,
                           failedLookUpLine("vw_DTMFAccessID")};
    }
    void writesThePrimaryAndNineAlternateExtensions() {
        QFETCH(Rows, extensions);
        QFETCH(QString, failingView);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, log);
        HostBuilder host;
        host.subscriber("obrien").set("ObjectID", "o'brien").extensions = extensions;
        RUN_EXPORT(out, host, {"Primary Extension", "All Alternate Extensions"},
                   {.failingView = failingView});
        QCOMPARE(out.lines, QList<QStringList>{expected});
        QCOMPARE(out.logOf("obrien"), log);
    }

    void writesTheSwitchNameOrError_data() {
        QTest::addColumn<QVariant>("switchId");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("logLines");
        QTest::addColumn<QString>("idType");  // of the switches' ObjectID; the usual text when empty
        QTest::addColumn<QString>("failingView");
        const auto row = [](const char* tag, const QVariant& switchId, const QString& expected,
                            const QStringList& logLines, const QString& idType = QString(),
                            const QString& failingView = QString()) {
            QTest::addRow("%s", tag) << switchId << expected << logLines << idType << failingView;
        };
        row("unknown switch", "switch-gone", "(error)", {kNoSwitchLine});
        row("Null switch id", QVariant(), "(error)", {kNoSwitchLine});
        row("two rows of one id", "switch-twice", "(error)", {kNoSwitchLine});
        row("a Null name", "switch-unnamed", "", {});
        // Ids match without regard to ASCII letter case, and whole numbers by value, whichever
        // reader runs and however the directory compares.
        row("an id in capitals", "switch-caps", "Capitals", {});
        row("an id in mixed case, compared without case", "SWITCH-MIXED", "Mixed", {}, "TEXT COLLATE NOCASE");
        row("a whole-number id, referred to with a leading zero", "07", "Seven", {}, "INTEGER");
        row("look-up fails", HostBuilder::kDefaultSwitch, "(error)",
            {failedLookUpLine("vw_MediaSwitch"), kNoSwitchLine}, {}, "vw_MediaSwitch");
    }
    void writesTheSwitchNameOrError() {
        QFETCH(QVariant, switchId);
        QFETCH(QString, idType);
        QFETCH(QString, expected);
        QFETCH(QStringList, logLines);
        QFETCH(QString, failingView);
        HostBuilder host;
        if (!idType.isEmpty()) host.columnType("vw_MediaSwitch", "ObjectID", idType);
        host.addRow("vw_MediaSwitch", {{"ObjectID", "switch-twice"}, {"DisplayName", "A"}});
        host.addRow("vw_MediaSwitch", {{"ObjectID", "switch-twice"}, {"DisplayName", "B"}});
        host.addRow("vw_MediaSwitch", {{"ObjectID", "switch-unnamed"}, {"DisplayName", QVariant()}});
        host.addRow("vw_MediaSwitch", {{"ObjectID", "SWITCH-CAPS"}, {"DisplayName", "Capitals"}});
        host.addRow("vw_MediaSwitch", {{"ObjectID", "Switch-Mixed"}, {"DisplayName", "Mixed"}});
        host.addRow("vw_MediaSwitch", {{"ObjectID", 7}, {"DisplayName", "Seven"}});
        host.subscriber("jsmith").set("MediaSwitchObjectID", switchId);
        RUN_EXPORT(out, host, {"Switch ID"}, {.failingView = failingView});
        QCOMPARE(out.lines, QList<QStringList>{{expected}});
        QCOMPARE(out.logOf("jsmith"), logLines);
    }
};

QTEST_GUILESS_MAIN(IdentityColumnsTest)
#include "test_identity_columns.moc"
