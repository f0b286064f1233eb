// The subscriber's names, numbers, flags, extensions, switch and schedule, read back from a real
// export of a fixture host: the values and failures the golden export's sample host does not have.
#include <QTest>

#include "support/column_case.h"

using namespace brindle;
using namespace brindle::testing;
using brindle::fixture::HostBuilder;
using brindle::fixture::SubscriberRows;

using Rows = QList<QVariantList>;

namespace {

const QString kNoPrimaryLine =
    QStringLiteral("(error) could not find single primary extension number for this subscriber");
const QString kNoSwitchLine = QStringLiteral("(error) could not find MediaSwitch entry for this subscriber");

QString error(const char* description, int number, const char* source) {
    return QStringLiteral("(error) in export. Description=%1, Source=%2, Number= %3")
        .arg(description, source)
        .arg(number);
}

// `field` names the subscriber's column, or "ch." one of its call handler, or "cos." one of its
// class of service.
auto set(const QString& field, const QVariant& value) {
    return [=](SubscriberRows& s, HostBuilder& host) {
        if (field.startsWith("ch.")) {
            s.callHandler->insert(field.mid(3), value);
        } else if (field.startsWith("cos.")) {
            host.addRow("vw_COS", {{"ObjectID", "cos-own"}, {field.mid(4), value}});
            s.set("COSObjectID", "cos-own");
        } else {
            s.set(field, value);
        }
    };
}

auto extensions(const Rows& rows) {
    return [rows](SubscriberRows& s, HostBuilder&) { s.set("ObjectID", "o'brien").extensions = rows; };
}

// The switch `id` among switches of awkward ids, whose ObjectID column is of `idType`.
auto switchOf(const QVariant& id, const QString& idType = {}) {
    return [=](SubscriberRows& s, HostBuilder& host) {
        s.set("MediaSwitchObjectID", id);
        if (!idType.isEmpty()) host.columnType("vw_MediaSwitch", "ObjectID", idType);
        host.addRow("vw_MediaSwitch", {{"ObjectID", "switch-twice"}, {"DisplayName", "A"}});
        host.addRow("vw_MediaSwitch", {{"ObjectID", "switch-twice"}, {"DisplayName", "B"}});
        host.addRow("vw_MediaSwitch", {{"ObjectID", "switch-unnamed"}, {"DisplayName", QVariant()}});
        host.addRow("vw_MediaSwitch", {{"ObjectID", "SWITCH-CAPS"}, {"DisplayName", "Capitals"}});
        host.addRow("vw_MediaSwitch", {{"ObjectID", "Switch-Mixed"}, {"DisplayName", "Mixed"}});
        host.addRow("vw_MediaSwitch", {{"ObjectID", 7}, {"DisplayName", "Seven"}});
    };
}

}  // namespace

class IdentityColumnsTest : public QObject {
    Q_OBJECT

private slots:
    void writesOneField_data() {
        addColumnCaseColumn();
        const auto row = [](const char* tag, const char* entry, const char* field, const QVariant& value,
                            const QString& expected, const QString& log = {}, const QString& view = {}) {
            QTest::addRow("%s", tag) << ColumnCase{set(field, value),
                                                   {expected},
                                                   log.isEmpty() ? QStringList() : QStringList{log},
                                                   view,
                                                   {entry}};
        };
        row("Null class of service name", "COS Name", "cos.DisplayName", QVariant(), "");
        row("Null language", "Language", "Language", QVariant(), "");
        row("an unknown language", "Language", "Language", 4242, "ERR");
        row("a language that is not a number", "Language", "Language", "abc", "",
            error("Type mismatch", 13, "Language"));
        row("a language beyond 32 bits", "Language", "Language", qint64(1) << 40, "",
            error("Overflow", 6, "Language"));
        row("listed, any non-zero", "List In Directory", "ListInDirectory", -1, "1");
        row("enrolled, any non-zero", "Set for First Time Enrollment", "IsVmEnrolled", 7, "0");
        row("Null length", "Maximum Message Length", "ch.MaxMsgLen", QVariant(), "");
        row("a fraction of a length", "Maximum Message Length", "ch.MaxMsgLen", 2.5, "2.5");
        row("a whole length stored as a fraction", "Maximum Message Length", "ch.MaxMsgLen", 300.0, "300");
        row("a length that is not a number", "Maximum Message Length", "ch.MaxMsgLen", "long", "",
            error("Type mismatch", 13, "MaxMsgLen"));
        row("unknown schedule", "Schedule Name", "ch.ScheduleSetObjectID", "schedule-gone", "");
        row("schedule look-up fails", "Schedule Name", "ch.ScheduleSetObjectID",
            HostBuilder::kDefaultSchedule, "", failedLookUpLine("vw_ScheduleSet"), "vw_ScheduleSet");
    }
    void writesOneField() { checkColumnCase(); }

    // The primary extension, then the nine alternates, of a subscriber whose id holds a quote.
    void writesThePrimaryAndNineAlternateExtensions_data() {
        addColumnCaseColumn();
        const QStringList noPrimary = QStringList{"0"} + emptyFields(9);
        QTest::newRow("in the directory's order, not by index")
            << ColumnCase{extensions({{3, "3003"}, {0, "2001"}, {1, "3001"}}),
                          QStringList{"2001", "3003", "3001"} + emptyFields(7)};
        QTest::newRow("two IdIndex 0 rows")
            << ColumnCase{extensions({{0, "2001"}, {0, "2002"}}), noPrimary, {kNoPrimaryLine}};
        QTest::newRow("a Null IdIndex is neither")
            << ColumnCase{extensions({{QVariant(), "2001"}, {1, "3001"}}),
                          QStringList{"0", "3001"} + emptyFields(8),
                          {kNoPrimaryLine}};
        QTest::newRow("a Null number gives an empty field, in its place")
            << ColumnCase{extensions({{0, QVariant()}, {1, QVariant()}, {2, "3002"}}),
                          QStringList{"", "", "3002"} + emptyFields(7)};
        Rows eleven{{0, "1000"}};
        QStringList firstNine{"1000"};
        for (int i = 1; i <= 11; ++i) {
            eleven.append({i, QString::number(3000 + i)});
            if (i <= 9) firstNine << QString::number(3000 + i);
        }
        QTest::newRow("eleven: the first nine and a warning") << ColumnCase{
            extensions(eleven),
            firstNine,
            {"(warning) this subscriber has 11 alternate extensions; only the first 9 are exported"}};
        const QString failed = failedLookUpLine("vw_DTMFAccessID");
        QTest::newRow("look-up fails") << ColumnCase{
            extensions({{0, "1000"}}), noPrimary, {failed, kNoPrimaryLine, failed}, "vw_DTMFAccessID"};
    }
    void writesThePrimaryAndNineAlternateExtensions() {
        checkColumnCase({"Primary Extension", "All Alternate Extensions"});
    }

    void writesTheSwitchNameOrError_data() {
        addColumnCaseColumn();
        QTest::newRow("unknown switch") << ColumnCase{switchOf("switch-gone"), {"(error)"}, {kNoSwitchLine}};
        QTest::newRow("two rows of one id")
            << ColumnCase{switchOf("switch-twice"), {"(error)"}, {kNoSwitchLine}};
        QTest::newRow("a Null name") << ColumnCase{switchOf("switch-unnamed"), {""}};
        // Ids match without regard to ASCII letter case, and whole numbers by value, whichever
        // reader runs and however the directory compares.
        QTest::newRow("an id in capitals") << ColumnCase{switchOf("switch-caps"), {"Capitals"}};
        QTest::newRow("an id in mixed case, compared without case")
            << ColumnCase{switchOf("SWITCH-MIXED", "TEXT COLLATE NOCASE"), {"Mixed"}};
        QTest::newRow("a whole-number id, referred to with a leading zero")
            << ColumnCase{switchOf("07", "INTEGER"), {"Seven"}};
        QTest::newRow("look-up fails") << ColumnCase{switchOf(HostBuilder::kDefaultSwitch),
                                                     {"(error)"},
                                                     {failedLookUpLine("vw_MediaSwitch"), kNoSwitchLine},
                                                     "vw_MediaSwitch"};
    }
    void writesTheSwitchNameOrError() { checkColumnCase({"Switch ID"}); }
};

QTEST_GUILESS_MAIN(IdentityColumnsTest)
#include "test_identity_columns.moc"
