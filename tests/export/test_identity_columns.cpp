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

// `field` names the subscriber's column, or "ch." one of its call handler.
auto set(const QString& field, const QVariant& value) {
    return [=](SubscriberRows& s, HostBuilder&) {
        if (field.startsWith("ch."))
            s.callHandler->insert(field.mid(3), value);
        else
            s.set(field, value);
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
        row("a language that is not a number", "Language", "Language", "abc", "",
            error("Type mismatch", 13, "Language"));
        row("a language beyond 32 bits", "Language", "Language", qint64(1) << 40, "",
            error("Overflow", 6, "Language"));
        row("a fraction of a length", "Maximum Message Length", "ch.MaxMsgLen", 2.5, "2.5");
        row("a whole length stored as a fraction", "Maximum Message Length", "ch.MaxMsgLen", 300.0, "300");
        row("a length that is not a number", "Maximum Message Length", "ch.MaxMsgLen", "long", "",
            error("Type mismatch", 13, "MaxMsgLen"));
        row("schedule look-up fails", "Schedule Name", "ch.ScheduleSetObjectID",
            HostBuilder::kDefaultSchedule, "", failedLookUpLine("vw_ScheduleSet"), "vw_ScheduleSet");
    }
    void writesOneField() { checkColumnCase(); }

    // The primary extension, then the nine alternates, of a subscriber whose id holds a quote.
    void writesThePrimaryAndNineAlternateExtensions_data() {
        addColumnCaseColumn();
        const QStringList noPrimary = QStringList{"0"} + emptyFields(9);
        const QString failed = failedLookUpLine("vw_DTMFAccessID");
        QTest::newRow("look-up fails") << ColumnCase{
            extensions({{0, "1000"}}), noPrimary, {failed, kNoPrimaryLine, failed}, "vw_DTMFAccessID"};
    }
    void writesThePrimaryAndNineAlternateExtensions() {
        checkColumnCase({"Primary Extension", "All Alternate Extensions"});
    }

    void writesTheSwitchNameOrError_data() {
        addColumnCaseColumn();
        // Ids match without regard to ASCII letter case, and whole numbers by value, whichever
        // reader runs and however the directory compares.
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
