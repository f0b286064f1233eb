#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "hostbuilder/host_builder.h"
#include "support/column_export.h"

using namespace brindle;
using namespace brindle::testing;
using brindle::fixture::HostBuilder;
using brindle::fixture::SubscriberRows;

using Rows = QList<QVariantList>;

namespace {

const QString kNoPrimaryLine =
    QStringLiteral("(error) could not find single primary extension number for this subscriber");
const QString kNoSwitchLine = QStringLiteral("(error) could not find MediaSwitch entry for this subscriber");

}  // namespace

class IdentityColumnsTest : public QObject {
    Q_OBJECT

private slots:
    void writesSubscriberAndClassOfServiceTexts_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::addRow("alias") << "Alias"
                               << "Alias" << QVariant("jsmith") << "jsmith";
        QTest::addRow("first name") << "First Name"
                                    << "FirstName" << QVariant("Zo\u00eb") << "Zo\u00eb";
        QTest::addRow("last name kept untrimmed") << "Last Name"
                                                  << "LastName" << QVariant("  Smith  ") << "  Smith  ";
        QTest::addRow("display name with a comma")
            << "Display Name"
            << "DisplayName" << QVariant("Smith, John") << "Smith, John";
        QTest::addRow("billing id keeps its zeros") << "Billing ID"
                                                    << "BillingID" << QVariant("00042") << "00042";
        QTest::addRow("null billing id") << "Billing ID"
                                         << "BillingID" << QVariant() << "";
        QTest::addRow("null first name") << "First Name"
                                         << "FirstName" << QVariant() << "";
        QTest::addRow("null display name") << "Display Name"
                                           << "DisplayName" << QVariant() << "";
        QTest::addRow("null last name") << "Last Name"
                                        << "LastName" << QVariant() << "";
    }
    void writesSubscriberAndClassOfServiceTexts() {
        QFETCH(QString, entry);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        HostBuilder host;
        host.subscriber(QStringLiteral("jsmith")).set(field, value);
        RUN_EXPORT(out, host, {entry});
        QCOMPARE(out.lines, QList<QStringList>{{expected}});
        QCOMPARE(out.logOf(QStringLiteral("jsmith")), QStringList());
    }

    void writesTheNameOfTheSubscribersClassOfService_data() {
        QTest::addColumn<QVariant>("name");
        QTest::addColumn<QString>("expected");
        QTest::addRow("named") << QVariant("Sales Staff") << "Sales Staff";
        QTest::addRow("null") << QVariant() << "";
    }
    void writesTheNameOfTheSubscribersClassOfService() {
        QFETCH(QVariant, name);
        QFETCH(QString, expected);
        HostBuilder host;
        host.addRow(QStringLiteral("vw_COS"), {{"ObjectID", "cos-sales"}, {"DisplayName", name}});
        host.subscriber(QStringLiteral("jsmith"))
            .set(QStringLiteral("COSObjectID"), QStringLiteral("cos-sales"));
        RUN_EXPORT(out, host, {QStringLiteral("COS Name")});
        QCOMPARE(out.lines, QList<QStringList>{{expected}});
        QCOMPARE(out.logOf(QStringLiteral("jsmith")), QStringList());
    }

    void writesTheSinglePrimaryExtensionOrZero_data() {
        QTest::addColumn<Rows>("extensions");  // IdIndex, DTMFAccessID
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("logLines");
        QTest::addRow("one primary among alternates")
            << Rows{{1, "3001"}, {0, "2001"}, {2, "3002"}} << "2001" << QStringList();
        QTest::addRow("no IdIndex 0 row") << Rows{{1, "3001"}} << "0" << QStringList{kNoPrimaryLine};
        QTest::addRow("no extension at all") << Rows{} << "0" << QStringList{kNoPrimaryLine};
        QTest::addRow("two IdIndex 0 rows")
            << Rows{{0, "2001"}, {0, "2002"}} << "0" << QStringList{kNoPrimaryLine};
        QTest::addRow("a Null IdIndex is not the primary")
            << Rows{{QVariant(), "2001"}} << "0" << QStringList{kNoPrimaryLine};
        QTest::addRow("a Null number gives an empty field") << Rows{{0, QVariant()}} << "" << QStringList();
    }
    void writesTheSinglePrimaryExtensionOrZero() {
        QFETCH(Rows, extensions);
        QFETCH(QString, expected);
        QFETCH(QStringList, logLines);
        HostBuilder host;
        host.subscriber(QStringLiteral("jsmith")).extensions = extensions;
        RUN_EXPORT(out, host, {QStringLiteral("Primary Extension")});
        QCOMPARE(out.lines, QList<QStringList>{{expected}});
        QCOMPARE(out.logOf(QStringLiteral("jsmith")), logLines);
    }

    void writesNineAlternateExtensionFields_data() {
        QTest::addColumn<Rows>("extensions");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("logLines");
        QTest::addRow("three") << Rows{{0, "1000"}, {1, "3001"}, {2, "3002"}, {3, "3003"}}
                               << QStringList{"3001", "3002", "3003"} + emptyFields(6) << QStringList();
        QTest::addRow("none") << Rows{{0, "1000"}} << emptyFields(9) << QStringList();
        QTest::addRow("in the directory's order, not by index")
            << Rows{{3, "3003"}, {1, "3001"}, {2, "3002"}}
            << QStringList{"3003", "3001", "3002"} + emptyFields(6) << QStringList();
        QTest::addRow("primary and Null IdIndex rows left out")
            << Rows{{0, "1000"}, {QVariant(), "9999"}, {1, "3001"}} << QStringList{"3001"} + emptyFields(8)
            << QStringList();
        QTest::addRow("a Null number keeps its place")
            << Rows{{1, QVariant()}, {2, "3002"}} << QStringList{"", "3002"} + emptyFields(7)
            << QStringList();
        Rows nine;
        Rows eleven;
        QStringList firstNine;
        for (int i = 1; i <= 11; ++i) {
            const QString number = QString::number(3000 + i);
            if (i <= 9) {
                nine.append({i, number});
                firstNine << number;
            }
            eleven.append({i, number});
        }
        QTest::addRow("exactly nine") << nine << firstNine << QStringList();
        QTest::addRow("eleven: the first nine and a warning")
            << eleven << firstNine
            << QStringList{
                   "(warning) this subscriber has 11 alternate extensions; only the first 9 are exported"};
    }
    void writesNineAlternateExtensionFields() {
        QFETCH(Rows, extensions);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, logLines);
        HostBuilder host;
        host.subscriber(QStringLiteral("jsmith")).extensions = extensions;
        RUN_EXPORT(out, host, {QStringLiteral("All Alternate Extensions")});
        QCOMPARE(out.header.size(), 9);
        QCOMPARE(out.lines, QList<QStringList>{expected});
        QCOMPARE(out.logOf(QStringLiteral("jsmith")), logLines);
    }

    void subscriberIdWithQuoteFindsItsExtensions() {
        HostBuilder host;
        host.subscriber(QStringLiteral("obrien"))
            .set(QStringLiteral("ObjectID"), QStringLiteral("o'brien"))
            .extensions = Rows{{0, "4242"}, {1, "5001"}, {2, "5002"}};
        RUN_EXPORT(out, host,
                   {QStringLiteral("Primary Extension"), QStringLiteral("All Alternate Extensions")});
        QCOMPARE(out.lines, (QList<QStringList>{QStringList{"4242", "5001", "5002"} + emptyFields(7)}));
        QCOMPARE(out.logOf(QStringLiteral("obrien")), QStringList());
    }

    void failedExtensionLookUpKeepsTheColumns() {
        HostBuilder host;
        host.subscriber(QStringLiteral("jsmith")).alternateExtensions({"3001", "3002"});
        RUN_EXPORT(out, host,
                   {QStringLiteral("Primary Extension"), QStringLiteral("All Alternate Extensions")},
                   {.failingView = QStringLiteral("vw_DTMFAccessID")});
        QCOMPARE(out.lines, QList<QStringList>{QStringList{"0"} + emptyFields(9)});
        const QString failure = QStringLiteral(
            "(error) in export. Description=Invalid object name 'vw_DTMFAccessID'., Source=Microsoft OLE DB "
            "Provider for ODBC Drivers, Number= 208");
        QCOMPARE(out.logOf(QStringLiteral("jsmith")), (QStringList{failure, kNoPrimaryLine, failure}));
    }

    void writesTheLanguageAbbreviation_data() {
        QTest::addColumn<QVariant>("language");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("logLines");
        QTest::addRow("text telephone English") << QVariant(33801) << "ENX" << QStringList();
        QTest::addRow("U.S. English") << QVariant(1033) << "ENU" << QStringList();
        QTest::addRow("British English") << QVariant(2057) << "ENG" << QStringList();
        QTest::addRow("German") << QVariant(1031) << "DEU" << QStringList();
        QTest::addRow("unknown id") << QVariant(4242) << "ERR" << QStringList();
        QTest::addRow("zero") << QVariant(0) << "ERR" << QStringList();
        QTest::addRow("Null") << QVariant() << "" << QStringList();
        QTest::addRow("not a number")
            << QVariant("abc") << ""
            << QStringList{"(error) in export. Description=Type mismatch, Source=Language, Number= 13"};
        QTest::addRow("beyond 32 bits")
            << QVariant(qint64(1) << 40) << ""
            << QStringList{"(error) in export. Description=Overflow, Source=Language, Number= 6"};
    }
    void writesTheLanguageAbbreviation() {
        QFETCH(QVariant, language);
        QFETCH(QString, expected);
        QFETCH(QStringList, logLines);
        HostBuilder host;
        host.subscriber(QStringLiteral("jsmith")).set(QStringLiteral("Language"), language);
        RUN_EXPORT(out, host, {QStringLiteral("Language")});
        QCOMPARE(out.lines, QList<QStringList>{{expected}});
        QCOMPARE(out.logOf(QStringLiteral("jsmith")), logLines);
    }

    void writesTheDirectoryFlags_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        const QString list = QStringLiteral("List In Directory");
        const QString enrol = QStringLiteral("Set for First Time Enrollment");
        QTest::addRow("listed") << list << "ListInDirectory" << QVariant(1) << "1";
        QTest::addRow("not listed") << list << "ListInDirectory" << QVariant(0) << "0";
        QTest::addRow("listed, any non-zero") << list << "ListInDirectory" << QVariant(-1) << "1";
        QTest::addRow("listed Null") << list << "ListInDirectory" << QVariant() << "0";
        QTest::addRow("enrolled") << enrol << "IsVmEnrolled" << QVariant(1) << "0";
        QTest::addRow("not enrolled") << enrol << "IsVmEnrolled" << QVariant(0) << "1";
        QTest::addRow("enrolled, any non-zero") << enrol << "IsVmEnrolled" << QVariant(7) << "0";
        QTest::addRow("enrolled Null") << enrol << "IsVmEnrolled" << QVariant() << "1";
    }
    void writesTheDirectoryFlags() {
        QFETCH(QString, entry);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        HostBuilder host;
        host.subscriber(QStringLiteral("jsmith")).set(field, value);
        RUN_EXPORT(out, host, {entry});
        QCOMPARE(out.lines, QList<QStringList>{{expected}});
        QCOMPARE(out.logOf(QStringLiteral("jsmith")), QStringList());
    }

    void writesTheMaximumMessageLengthInPlainDigits_data() {
        QTest::addColumn<QVariant>("length");
        QTest::addColumn<QString>("expected");
        QTest::addRow("300") << QVariant(300) << "300";
        QTest::addRow("zero") << QVariant(0) << "0";
        QTest::addRow("large") << QVariant(3600000) << "3600000";
        QTest::addRow("negative") << QVariant(-1) << "-1";
        QTest::addRow("Null") << QVariant() << "";
    }
    void writesTheMaximumMessageLengthInPlainDigits() {
        QFETCH(QVariant, length);
        QFETCH(QString, expected);
        HostBuilder host;
        host.subscriber(QStringLiteral("jsmith")).callHandler->insert(QStringLiteral("MaxMsgLen"), length);
        RUN_EXPORT(out, host, {QStringLiteral("Maximum Message Length")});
        QCOMPARE(out.lines, QList<QStringList>{{expected}});
        QCOMPARE(out.logOf(QStringLiteral("jsmith")), QStringList());
    }

    void writesTheSwitchNameOrError_data() {
        QTest::addColumn<QVariant>("switchId");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("logLines");
        QTest::addColumn<QString>("idType");  // of the switches' ObjectID; the usual text when empty
        const auto row = [](const char* tag, const QVariant& switchId, const QString& expected,
                            const QStringList& logLines, const QString& idType = QString()) {
            QTest::addRow("%s", tag) << switchId << expected << logLines << idType;
        };
        row("known switch", HostBuilder::kDefaultSwitch, "Main PBX", {});
        row("unknown switch", "switch-gone", "(error)", {kNoSwitchLine});
        row("Null switch id", QVariant(), "(error)", {kNoSwitchLine});
        row("two rows of one id", "switch-twice", "(error)", {kNoSwitchLine});
        row("a Null name", "switch-unnamed", "", {});
        // Ids match without regard to ASCII letter case, and whole numbers by value, whichever
        // reader runs and however the directory compares.
        row("an id in capitals", "switch-caps", "Capitals", {});
        row("an id in mixed case, compared without case", "SWITCH-MIXED", "Mixed", {}, "TEXT COLLATE NOCASE");
        row("a whole-number id, referred to with a leading zero", "07", "Seven", {}, "INTEGER");
    }
    void writesTheSwitchNameOrError() {
        QFETCH(QVariant, switchId);
        QFETCH(QString, idType);
        QFETCH(QString, expected);
        QFETCH(QStringList, logLines);
        HostBuilder host;
        if (!idType.isEmpty())
            host.columnType(QStringLiteral("vw_MediaSwitch"), QStringLiteral("ObjectID"), idType);
        host.addRow(QStringLiteral("vw_MediaSwitch"), {{"ObjectID", "switch-twice"}, {"DisplayName", "A"}});
        host.addRow(QStringLiteral("vw_MediaSwitch"), {{"ObjectID", "switch-twice"}, {"DisplayName", "B"}});
        host.addRow(QStringLiteral("vw_MediaSwitch"),
                    {{"ObjectID", "switch-unnamed"}, {"DisplayName", QVariant()}});
        host.addRow(QStringLiteral("vw_MediaSwitch"),
                    {{"ObjectID", "SWITCH-CAPS"}, {"DisplayName", "Capitals"}});
        host.addRow(QStringLiteral("vw_MediaSwitch"),
                    {{"ObjectID", "Switch-Mixed"}, {"DisplayName", "Mixed"}});
        host.addRow(QStringLiteral("vw_MediaSwitch"), {{"ObjectID", 7}, {"DisplayName", "Seven"}});
        host.subscriber(QStringLiteral("jsmith")).set(QStringLiteral("MediaSwitchObjectID"), switchId);
        RUN_EXPORT(out, host, {QStringLiteral("Switch ID")});
        QCOMPARE(out.lines, QList<QStringList>{{expected}});
        QCOMPARE(out.logOf(QStringLiteral("jsmith")), logLines);
    }

    void failedSwitchLookUpLogsBothLines() {
        HostBuilder host;
        host.subscriber(QStringLiteral("jsmith"));
        RUN_EXPORT(out, host, {QStringLiteral("Switch ID")},
                   {.failingView = QStringLiteral("vw_MediaSwitch")});
        QCOMPARE(out.lines, QList<QStringList>{{"(error)"}});
        const QStringList lines = out.logOf(QStringLiteral("jsmith"));
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith(QLatin1String("(error) in export. Description=Invalid object name")),
                 qPrintable(lines[0]));
        QCOMPARE(lines[1], kNoSwitchLine);
    }

    void writesTheScheduleNameOrAnEmptyField_data() {
        QTest::addColumn<QVariant>("scheduleId");
        QTest::addColumn<QString>("expected");
        QTest::addRow("known schedule") << QVariant(HostBuilder::kDefaultSchedule) << "Weekdays";
        QTest::addRow("unknown schedule") << QVariant("schedule-gone") << "";
        QTest::addRow("Null schedule id") << QVariant() << "";
    }
    void writesTheScheduleNameOrAnEmptyField() {
        QFETCH(QVariant, scheduleId);
        QFETCH(QString, expected);
        HostBuilder host;
        host.subscriber(QStringLiteral("jsmith"))
            .set(QStringLiteral("BillingID"), QStringLiteral("B-7"))
            .callHandler->insert(QStringLiteral("ScheduleSetObjectID"), scheduleId);
        RUN_EXPORT(out, host,
                   {QStringLiteral("Alias"), QStringLiteral("Schedule Name"), QStringLiteral("Billing ID")});
        QCOMPARE(out.lines, (QList<QStringList>{{"jsmith", expected, "B-7"}}));
        QCOMPARE(out.logOf(QStringLiteral("jsmith")), QStringList());
    }

    void failedScheduleLookUpGivesAnEmptyField() {
        HostBuilder host;
        host.subscriber(QStringLiteral("jsmith"));
        RUN_EXPORT(out, host, {QStringLiteral("Schedule Name"), QStringLiteral("Alias")},
                   {.failingView = QStringLiteral("vw_ScheduleSet")});
        QCOMPARE(out.lines, (QList<QStringList>{{"", "jsmith"}}));
        const QStringList lines = out.logOf(QStringLiteral("jsmith"));
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(QLatin1String("(error) in export.")), qPrintable(lines[0]));
    }

    void allFourteenItemsFillTheHeadersTwentyTwoColumns() {
        const QStringList entries{"Alias",
                                  "First Name",
                                  "Last Name",
                                  "Display Name",
                                  "Primary Extension",
                                  "All Alternate Extensions",
                                  "Switch ID",
                                  "COS Name",
                                  "Schedule Name",
                                  "Billing ID",
                                  "Language",
                                  "List In Directory",
                                  "Set for First Time Enrollment",
                                  "Maximum Message Length"};
        HostBuilder host;
        host.subscriber(QStringLiteral("amy")).alternateExtensions({"3001"});
        // Every look-up of the second subscriber misses and it has too many alternates.
        SubscriberRows& troubled = host.subscriber(QStringLiteral("bob"));
        troubled.extensions.clear();
        for (int i = 1; i <= 12; ++i) troubled.extensions.append({i, QString::number(4000 + i)});
        troubled.set(QStringLiteral("MediaSwitchObjectID"), QStringLiteral("nowhere"))
            .set(QStringLiteral("Language"), QVariant())
            .set(QStringLiteral("FirstName"), QVariant());
        troubled.callHandler->insert(QStringLiteral("ScheduleSetObjectID"), QStringLiteral("nowhere"));

        RUN_EXPORT(out, host, entries);
        const QStringList header{"ALIAS", "FIRST_NAME", "LAST_NAME", "DISPLAY_NAME", "PRIMARY_EXTENSION"};
        QCOMPARE(out.header.size(), 22);
        QCOMPARE(out.header.mid(0, 5), header);
        QCOMPARE(
            out.header.mid(14),
            (QStringList{"SWITCH_ID", "COS_NAME", "SCHEDULE_NAME", "BILLING_ID", "LANGUAGE",
                         "LIST_IN_DIRECTORY", "SET_FOR_FIRST_TIME_ENROLLMENT", "MAXIMUM_MESSAGE_LENGTH"}));
        QCOMPARE(out.lines.size(), 2);
        const QStringList amy = QStringList{"amy", "Amy", "Tester", "Amy Tester", "1000", "3001"} +
                                emptyFields(8) +
                                QStringList{"Main PBX", "Default", "Weekdays", "B1", "ENU", "1", "0", "300"};
        QCOMPARE(out.lines[0], amy);
        QCOMPARE(out.lines[1].size(), 22);
        QCOMPARE(out.lines[1].mid(0, 6), (QStringList{"bob", "", "Tester", "Bob Tester", "0", "4001"}));
        QCOMPARE(out.lines[1][13], QStringLiteral("4009"));
        QCOMPARE(out.lines[1].mid(14), (QStringList{"(error)", "Default", "", "B2", "", "1", "0", "300"}));
        QCOMPARE(out.logOf(QStringLiteral("amy")), QStringList());
        QCOMPARE(out.logOf(QStringLiteral("bob")),
                 (QStringList{
                     kNoPrimaryLine,
                     "(warning) this subscriber has 12 alternate extensions; only the first 9 are exported",
                     kNoSwitchLine}));
    }
};

QTEST_GUILESS_MAIN(IdentityColumnsTest)
#include "test_identity_columns.moc"
