// The action text of a caller input key, against a fixture directory of handlers.
#include <QTemporaryDir>
#include <QTest>

#include "export/columns/action_text.h"
#include "export/columns/column_context.h"
#include "export/directory/cached_tables.h"
#include "export/directory/directory_connection.h"
#include "export/directory/make_lookup.h"
#include "hostbuilder/host_builder.h"
#include "support/run_config.h"

using namespace brindle;
using brindle::fixture::HostBuilder;

namespace {

// Just enough of a run for the action text: the directory's look-ups and what is reported.
class LookupContext final : public ColumnContext {
public:
    explicit LookupContext(DirectoryLookup& lookup) : m_lookup(lookup) {}
    const Recordset& subscriber() const override { return m_none; }
    const Recordset& callHandler() const override { return m_none; }
    const Recordset& classOfService() const override { return m_none; }
    DirectoryLookup& lookup() override { return m_lookup; }
    const QString& outputFolder() const override { return m_folder; }
    std::optional<QString> streamStoreFolder() override { return std::nullopt; }
    std::optional<QString> holderOfCopyName(const QString&) const override { return std::nullopt; }
    void claimCopyName(const QString&) override {}
    const QDateTime& startedUtc() const override { return m_started; }
    int localOffsetSeconds() const override { return 0; }
    void AppendField(const QString&) override {}
    void WriteLogLine(const QString& text) override { logged << text; }
    void showToUser(const QString& text) override { reported << text; }
    void logFailure(const Error& error) override { logged << error.message; }

    QStringList reported;
    QStringList logged;

private:
    DirectoryLookup& m_lookup;
    Recordset m_none;
    QString m_folder;
    QDateTime m_started;
};

// Fails every look-up, as a directory that has gone away does.
class UnreachableLookup final : public DirectoryLookup {
public:
    Result<Recordset> rows(const ViewKey&, const QVariant&) override {
        return Error{QStringLiteral("Connection failure"), 11, QStringLiteral("ODBC")};
    }
    Result<Recordset> mailbox(const QVariant&) override { return rows({}, {}); }
};

const QString kIllegal =
    QStringLiteral("Error in ConstructActionSTring function.  Illegal conversation name:");

}  // namespace

class ActionTextTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<DirectoryConnection> m_connection;
    QString m_janeHandler;

private slots:
    void initTestCase() {
        HostBuilder host;
        auto& jane = host.subscriber("jane").set("DisplayName", "Jane Doe");
        m_janeHandler = jane.subscriber.value("CallHandlerObjectID").toString();
        host.subscriber("orphan").set("DisplayName", QVariant());
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
        const auto written = host.write(m_dir.filePath("host"));
        QVERIFY(written.ok());
        auto connection =
            DirectoryConnection::openSqlite(*written + "/HalvernDirDB.db", *written + "/HalvernMbxDB1.db");
        QVERIFY(connection.ok());
        m_connection = std::move(connection).value();
    }

    void describesTheAction_data() {
        QTest::addColumn<QString>("conversation");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("reported");
        const auto row = [](const char* tag, const QString& conversation, int action, const QString& target,
                            const QString& expected, const QString& reported = QString()) {
            QTest::addRow("%s", tag) << conversation << action << target << expected << reported;
        };
        row("-1", "SubSignIn", -1, "", "(Error)");
        row("0 whatever else", "nonsense", 0, "ch-operator", "Ignore Key");
        row("1", "", 1, "", "Hang Up");
        row("3 has no case", "SubSignIn", 3, "", "(Error)");
        row("4", "", 4, "", "Take Message");
        row("5", "", 5, "", "Skip Greeting");
        row("6", "SubSignIn", 6, "", "(Error)");
        row("32767", "SubSignIn", 32767, "", "(Error)");
        row("SubSignIn", "SubSignIn", 2, "", "Route to subscriber sign in");
        row("GreetingsAdministrator", "GreetingsAdministrator", 2, "", "Route to greetings administration");
        row("ConvUtilsLiveRecord", "ConvUtilsLiveRecord", 2, "", "Live record");
        row("SubSysTransfer", "SubSysTransfer", 2, "", "Route to subscriber system transfer");
        row("BroadcastMessageAdministrator", "BroadcastMessageAdministrator", 2, "",
            "Route to broadcast message administrator");
        row("ConvHotelCheckedOut", "ConvHotelCheckedOut", 2, "",
            "Route to checked out hotel guest conversation");
        row("ConvCVMMBoxReset", "ConvCVMMBoxReset", 2, "", "Route to Community Voice Mail box reset");
        row("SystemTransfer", "SystemTransfer", 2, "", "Route to system transfer");
        row("EasySignIn", "EasySignIn", 2, "", "Route to easy subscriber sign in");
        row("AD: Operators", "AD", 2, "dh-ops", "Route to name lookup handler:Operators");
        row("AD: no such handler", "AD", 2, "dh-none", "Invalid Link!");
        row("AD: [dontset] is only for PH", "AD", 2, "[dontset]", "Invalid Link!");
        row("PHGreeting [DontSet]", "PHGreeting", 2, "[DontSet]", "Set to go to greeting");
        row("PHTransfer [dontset]", "PHTransfer", 2, "[dontset]", "Set to attempt to ring phone");
        row("PHTransfer primary: the subscriber", "PHTransfer", 2, "%jane", "Ring phone for: Jane Doe");
        row("PHGreeting primary: the subscriber", "PHGreeting", 2, "%jane", "Send to greeting for: Jane Doe");
        row("PHTransfer not primary: the handler", "PHTransfer", 2, "ch-operator",
            "Ring phone for: Operator");
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
    }
    void describesTheAction() {
        QFETCH(QString, conversation);
        QFETCH(int, action);
        QFETCH(QString, target);
        QFETCH(QString, expected);
        QFETCH(QString, reported);
        if (target == "%jane") target = m_janeHandler;
        CachedTables none;
        const auto lookup = makeDirectoryLookup(*m_connection, none, testing::readerUnderTest());
        LookupContext context(*lookup);
        QCOMPARE(strConstructActionString(context, conversation, static_cast<qint16>(action), target),
                 expected);
        QCOMPARE(context.reported, reported.isEmpty() ? QStringList() : QStringList{reported});
        QCOMPARE(context.logged.size(), context.reported.size());
    }

    void aFailedLookUpIsReportedAndGivesAnInvalidLink() {
        UnreachableLookup lookup;
        LookupContext context(lookup);
        QCOMPARE(strConstructActionString(context, "PHTransfer", 2, "ch-operator"), QString("Invalid Link!"));
        QCOMPARE(
            context.reported,
            QStringList{
                "(error):11 (Connection failure) in procedure strConstructActionString of Form frmMain"});
        QCOMPARE(strConstructActionString(context, "SubSignIn", 2, ""),
                 QString("Route to subscriber sign in"));
        QCOMPARE(context.reported.size(), 1);
    }
};

QTEST_GUILESS_MAIN(ActionTextTest)
#include "test_action_text.moc"
