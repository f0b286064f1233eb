#include "hostbuilder/sample_host.h"

#include <QDateTime>
#include <QHash>
#include <QRandomGenerator>
#include <QTimeZone>
#include <QUuid>
#include <algorithm>
#include <memory>

#include "hostbuilder/host_builder.h"

namespace brindle::fixture {

namespace {

const QStringList kFirstNames{"James",   "Mary",  "Robert", "Patricia", "John",  "Jennifer",
                              "Michael", "Linda", "David",  "Elena",    "Tomas", "Aiko",
                              "Priya",   "Jonas", "Sofia",  "Omar",     "Grace", "Henrik",
                              "Chloe",   "Mateo", "Ingrid", "Kwame",    "Lucia", "Ravi"};
const QStringList kLastNames{"Smith",  "Johnson",  "Williams", "Brown",  "Garcia",   "Miller",
                             "Davis",  "Martinez", "Lopez",    "Wilson", "Anderson", "Thomas",
                             "Moore",  "Jackson",  "Nakamura", "Okafor", "Novak",    "Larsen",
                             "Dubois", "Rossi",    "Kowalski", "Haddad", "Silva",    "Fischer"};
const QStringList kGreetingTypes{"Alternate", "Busy", "Internal", "Off Hours", "Holiday"};
const QStringList kKeys{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "*", "#"};
const QStringList kFixedConversations{"SubSignIn",
                                      "GreetingsAdministrator",
                                      "ConvUtilsLiveRecord",
                                      "SubSysTransfer",
                                      "BroadcastMessageAdministrator",
                                      "ConvHotelCheckedOut",
                                      "ConvCVMMBoxReset",
                                      "SystemTransfer",
                                      "EasySignIn"};
constexpr int kLanguages[] = {1033, 1033, 1033, 1033, 2057, 1031, 1036, 33801};
constexpr int kVolumes[] = {50, 50, 50, 100, 25};
const QStringList kCos{"cos-default", "cos-exec", "cos-vmonly", "cos-restricted"};
const QStringList kSchedules{"schedule-weekdays", "schedule-allhours", "schedule-support"};
const QStringList kSwitches{"switch-main", "switch-branch"};
const QStringList kDirectoryHandlers{"dh-company", "dh-sales"};
const QStringList kInterviewHandlers{"ih-feedback", "ih-jobs"};
const QString kOperatorHandler = QStringLiteral("ch-operator");

// The state of one generation run: what has been made so far, so later subscribers can
// point their keys at earlier ones.
struct Generator {
    int total;
    QRandomGenerator random;
    int index = 0;
    QHash<QString, int> aliasesPerBase;
    QStringList handlers;

    int pick(int bound) { return static_cast<int>(random.bounded(bound)); }
    bool chance(int percent) { return pick(100) < percent; }

    QString time() {
        const QDateTime start(QDate(2024, 12, 1), QTime(0, 0), Qt::UTC);
        return start.addSecs(random.bounded(2 * 365 * 24 * 3600))
            .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }

    QString uniqueAlias(const QString& first, const QString& last) {
        // Bases never end in a digit, so "jsmith" and "jsmith2" cannot meet another base's names.
        const QString base = (first.left(1) + last).toLower();
        const int seen = aliasesPerBase[base]++;
        return seen == 0 ? base : base + QString::number(seen + 1);
    }

    QVariantList menuEntry(const QString& key) {
        const int action = pick(10) < 6 ? pick(6) : 2;
        if (action != 2) return {key, action, QVariant(), QVariant()};
        switch (pick(6)) {
            case 0:
                return {key, 2, "AD", kDirectoryHandlers[pick(2)]};
            case 1:
                return {key, 2, "CHInterview", kInterviewHandlers[pick(2)]};
            case 2:
            case 3: {
                const QString conversation =
                    chance(50) ? QStringLiteral("PHTransfer") : QStringLiteral("PHGreeting");
                if (chance(15)) return {key, 2, conversation, "[dontset]"};
                const QString target = handlers.isEmpty() || chance(20)
                                           ? kOperatorHandler
                                           : handlers[pick(int(handlers.size()))];
                return {key, 2, conversation, target};
            }
            default:
                return {key, 2, kFixedConversations[pick(int(kFixedConversations.size()))], QVariant()};
        }
    }

    void fill(SubscriberRows& rows, HostBuilder& scratch) {
        const QString first = kFirstNames[pick(int(kFirstNames.size()))];
        const QString last = kLastNames[pick(int(kLastNames.size()))];
        const QString alias = index == 7 ? QStringLiteral("o'brien") : uniqueAlias(first, last);
        scratch.subscribers().clear();
        rows = scratch.subscriber(alias);
        const QString id = QUuid::createUuidV5(QUuid(), QStringLiteral("sample/%1").arg(index))
                               .toString(QUuid::WithoutBraces);
        const QString handler = QStringLiteral("ch-") + id;
        const QString extension = QString::number(20000 + index);
        const QString display = first + u' ' + last;
        rows.set("ObjectID", id).set("SubscriberObjectID", id).set("CallHandlerObjectID", handler);
        rows.set("FirstName", first).set("LastName", last).set("DisplayName", display);
        rows.set("BillingID",
                 chance(70) ? QVariant(QStringLiteral("CC-%1").arg(4000 + pick(600))) : QVariant());
        rows.set("Language", kLanguages[pick(std::size(kLanguages))]);
        rows.set("ListInDirectory", chance(90) ? 1 : 0).set("IsVmEnrolled", chance(85) ? 1 : 0);
        rows.set("MediaSwitchObjectID", kSwitches[pick(2)]).set("COSObjectID", kCos[pick(4)]);
        rows.set("TimeLastCall", chance(90) ? QVariant(time()) : QVariant());
        rows.set("Volume", kVolumes[pick(std::size(kVolumes))]).set("DTMFAccessID", extension);
        rows.set("CreationTime", time());
        rows.callHandler = QVariantMap{{"ObjectID", handler},
                                       {"ScheduleSetObjectID", kSchedules[pick(3)]},
                                       {"MaxMsgLen", 60 * (1 + pick(5))},
                                       {"IsPrimary", 1},
                                       {"Recipient_SubscriberObjectID", id},
                                       {"DisplayName", display}};
        rows.extensions = {{0, extension}};
        QStringList alternates;
        for (int i = pick(4); i > 0; --i) alternates << QString::number(50000 + index * 3 + i);
        rows.alternateExtensions(alternates);
        rows.mwiDevices = {{"MWI-1", extension, chance(30) ? 1 : 0}};
        if (chance(20)) rows.mwiDevices.append({"MWI-2", QStringLiteral("9%1").arg(extension), 0});
        rows.credentials = {{4, chance(5) ? 1 : 0, time()}};
        rows.greetings.clear();
        for (const QString& type : kGreetingTypes) {
            // Standing, expired, expires later: fixed times, so that a host exports the same on any day.
            const int state = pick(3);
            const QVariant expires = state == 0   ? QVariant()
                                     : state == 1 ? QVariant(QStringLiteral("2025-03-01 00:00:00"))
                                                  : QVariant(QStringLiteral("2099-01-01 00:00:00"));
            rows.greetings.append({type, expires});
        }
        rows.menuEntries.clear();
        for (const QString& key : kKeys) rows.menuEntries.append(menuEntry(key));
        rows.mailbox = QVariantList{pick(50'000'000), 25'000'000, 30'000'000, 20'000'000};
        if (chance(10)) rows.mailbox.value()[1] = QVariant();
        if (chance(85)) {
            rows.voiceFile = total <= 2000
                                 ? alias + QStringLiteral("_vn.wav")
                                 : QStringLiteral("voice_%1.wav").arg(pick(16), 2, 10, QLatin1Char('0'));
            rows.set("VoiceName", rows.voiceFile);
        } else {
            rows.voiceFile.clear();
            rows.set("VoiceName", QVariant());
        }
        makeAwkward(rows);
        handlers << handler;
    }

    void recorded(SubscriberRows& rows) const {
        rows.voiceFile = QStringLiteral("awkward_%1.wav").arg(index);
        rows.set("VoiceName", rows.voiceFile);
    }

    // A few subscribers that every export must survive. Nothing here draws from the generator, so a
    // new case leaves every other subscriber as it was.
    void makeAwkward(SubscriberRows& rows) {
        const QString extension = rows.subscriber.value(QStringLiteral("DTMFAccessID")).toString();
        switch (index) {
            case 3:
                rows.set("FirstName", QVariant()).set("LastName", QVariant());
                break;
            case 5:
                rows.set("DisplayName", QStringLiteral("Smith, \"Jo\""));
                break;
            case 9:
                rows.alternateExtensions({});
                break;
            case 11:
                rows.credentials.clear();
                break;
            case 13:
                rows.voiceFile.clear();
                rows.set("VoiceName", QStringLiteral("never_recorded.wav"));
                break;
            case 17:
                rows.set("CallHandlerObjectID", QVariant());
                rows.callHandler.reset();
                break;
            case 19:
                rows.mwiDevices.clear();
                break;
            case 21:
                rows.mwiDevices = {{"MWI-1", extension, 0}, {"MWI-1", "9" + extension, 1}};
                break;
            case 23:
                rows.mwiDevices.resize(1);
                for (int n = 2; n <= 12; ++n)
                    rows.mwiDevices.append(
                        {QStringLiteral("MWI-%1").arg(n), QString::number(n) + extension, 0});
                break;
            case 25:
                // The latest time a directory's date-time columns hold: active on any day.
                rows.greetings[0][1] = QStringLiteral("9999-12-31 23:59:59");
                break;
            case 27:
                rows.greetings.removeIf(
                    [](const QVariantList& row) { return row[0].toString() == QLatin1String("Holiday"); });
                break;
            case 29:
                rows.credentials = {{4, 0, QVariant()}};
                break;
            case 31:
                rows.mailbox.reset();
                break;
            case 33:
                // The voice name keeps the generated alias: a stream store file cannot hold a '/'.
                rows.set("Alias", QStringLiteral("a/dams"));
                break;
            case 35:
                rows.set("TimeLastCall", QStringLiteral("not a time"));
                break;
            case 37:
                rows.set("Language", 4242).set("ListInDirectory", -1).set("IsVmEnrolled", 7);
                break;
            case 39:
                rows.set("COSObjectID", QStringLiteral("cos-unnamed"));
                break;
            case 41:
                rows.set("MediaSwitchObjectID", QStringLiteral("switch-gone"));
                rows.callHandler->insert("MaxMsgLen", QVariant());
                break;
            case 43:
                rows.set("MediaSwitchObjectID", QStringLiteral("switch-twice")).set("Language", QVariant());
                rows.callHandler->insert("ScheduleSetObjectID", QStringLiteral("schedule-gone"));
                break;
            case 45:
                rows.set("MediaSwitchObjectID", QStringLiteral("switch-unnamed"));
                rows.extensions = {{3, "3003"}, {0, extension}, {1, "3001"}};
                break;
            case 47:
                rows.set("MediaSwitchObjectID", QStringLiteral("SWITCH-BRANCH"));
                rows.extensions = {{0, extension}, {0, "9" + extension}};
                break;
            case 49:
                rows.extensions = {{QVariant(), extension}, {1, "3001"}};
                rows.mwiDevices = {{"MWI-1", extension, 0}, {"mwi-1", "777", 1}, {"MWI-2", "502", 1}};
                break;
            case 51:
                rows.extensions = {{0, QVariant()}, {1, QVariant()}, {2, "3002"}};
                rows.mwiDevices = {{QVariant(), "9", 1}};
                break;
            case 53:
                for (int n = 1; n <= 11; ++n) rows.extensions.append({n, QString::number(n) + extension});
                break;
            case 55:
                // Times as databases give them, an empty one, and one before the first file time.
                rows.set("TimeLastCall", QStringLiteral("2026-11-30T14:30:00.250")).set("CreationTime", "");
                rows.credentials = {{4, QVariant(), QStringLiteral("1500-06-01 10:00:00")}};
                break;
            case 57:
                rows.set("TimeLastCall", "").set("CreationTime", QStringLiteral("yesterday"));
                rows.credentials = {{4, 0, QStringLiteral("30/11/2026")}};
                rows.set("Volume", 0).set("VoiceName", "");
                rows.voiceFile.clear();
                break;
            case 59:
                rows.credentials = {{4, 0, QVariant()}, {4, 0, QVariant()}};
                rows.mailbox = QVariantList{0, -1, qint64(5'000'000'000), 3};
                break;
            case 61:
                // Keys in another order, two for 5 and none for #, and
                // actions that are no action.
                std::reverse(rows.menuEntries.begin(), rows.menuEntries.end());
                rows.menuEntries[0] = {"5", 4, QVariant(), QVariant()};
                rows.menuEntries[8] = {"3", QVariant(), "SubSignIn", QVariant()};
                rows.menuEntries[9] = {"2", 40000, "SubSignIn", QVariant()};
                break;
            case 63: {
                // Links that lead nowhere, or to more than one place.
                const QStringList targets{"AD:dh-none",
                                          "AD:[dontset]",
                                          "PHGreeting:[DontSet]",
                                          "PHGreeting:ch-nullprimary",
                                          "PHGreeting:ch-nameless",
                                          "PHGreeting:ch-gone",
                                          "PHTransfer:ch-twice",
                                          "PHTransfer:x' OR '1'='1",
                                          "CHInterview:ih-none",
                                          "subsignin:"};
                for (int key = 0; key < targets.size(); ++key) {
                    const QStringList parts = targets[key].split(u':');
                    rows.menuEntries[key] = {kKeys[key], 2, parts[0],
                                             parts[1].isEmpty() ? QVariant() : parts[1]};
                }
                break;
            }
            // Copy names that would leave the output folder, with control characters, and empty.
            case 67:
                rows.set("Alias", QStringLiteral("../x")).set("DTMFAccessID", QStringLiteral("../../1"));
                recorded(rows);
                break;
            case 69:
                rows.set("Alias", QStringLiteral("a\tb\x01\x7f"))
                    .set("DTMFAccessID", QStringLiteral("C:\\1"));
                recorded(rows);
                break;
            case 71:
                rows.set("Alias", "").set("DTMFAccessID", "");
                recorded(rows);
                break;
            // Skipped: a class of service that is not there, or none; a call handler that is not
            // there, of a subscriber without an alias.
            case 75:
                rows.set("COSObjectID", QStringLiteral("no-such-cos"));
                break;
            case 77:
                rows.set("COSObjectID", QVariant());
                break;
            case 79:
                rows.set("Alias", QVariant()).withoutCallHandler();
                break;
            default:
                break;
        }
    }
};

}  // namespace

void generateSample(HostBuilder& host, int subscribers, quint32 seed) {
    host.addRow("vw_COS", {{"ObjectID", "cos-exec"}, {"DisplayName", "Executives"}});
    host.addRow("vw_COS", {{"ObjectID", "cos-vmonly"}, {"DisplayName", "Voice mail only"}});
    host.addRow("vw_COS", {{"ObjectID", "cos-restricted"}, {"DisplayName", "Restricted, no outdial"}});
    host.addRow("vw_ScheduleSet", {{"ObjectID", "schedule-allhours"}, {"DisplayName", "All Hours"}});
    host.addRow("vw_ScheduleSet", {{"ObjectID", "schedule-support"}, {"DisplayName", "Support desk"}});
    host.addRow("vw_MediaSwitch", {{"ObjectID", "switch-branch"}, {"DisplayName", "Branch office PBX"}});
    host.addRow("vw_MediaSwitch", {{"ObjectID", "switch-twice"}, {"DisplayName", "A"}});
    host.addRow("vw_MediaSwitch", {{"ObjectID", "switch-twice"}, {"DisplayName", "B"}});
    host.addRow("vw_MediaSwitch", {{"ObjectID", "switch-unnamed"}});
    host.addRow("vw_COS", {{"ObjectID", "cos-unnamed"}});
    host.addRow("vw_CallHandler", {{"ObjectID", "ch-nullprimary"}, {"DisplayName", "Front desk"}});
    host.addRow("vw_CallHandler", {{"ObjectID", "ch-nameless"}, {"IsPrimary", 0}});
    host.addRow("vw_CallHandler",
                {{"ObjectID", "ch-gone"}, {"IsPrimary", 1}, {"Recipient_SubscriberObjectID", "nobody"}});
    host.addRow("vw_CallHandler", {{"ObjectID", "ch-twice"}, {"DisplayName", "One"}});
    host.addRow("vw_CallHandler", {{"ObjectID", "ch-twice"}, {"DisplayName", "Two"}});
    host.addRow("vw_DirectoryHandler",
                {{"ObjectID", "dh-company"}, {"DisplayName", "Operators"}, {"DTMFAccessID", "411"}});
    host.addRow("vw_DirectoryHandler",
                {{"ObjectID", "dh-sales"}, {"DisplayName", "Sales directory"}, {"DTMFAccessID", "412"}});
    host.addRow("vw_InterviewHandler",
                {{"ObjectID", "ih-feedback"}, {"DisplayName", "Customer feedback"}, {"DTMFAccessID", "501"}});
    host.addRow("vw_InterviewHandler",
                {{"ObjectID", "ih-jobs"}, {"DisplayName", "Job line"}, {"DTMFAccessID", "502"}});
    host.addRow("vw_CallHandler", {{"ObjectID", kOperatorHandler},
                                   {"ScheduleSetObjectID", "schedule-allhours"},
                                   {"MaxMsgLen", 300},
                                   {"IsPrimary", 0},
                                   {"DisplayName", "Operator"}});

    auto generator = std::make_shared<Generator>(Generator{subscribers, QRandomGenerator(seed), 0, {}, {}});
    auto scratch = std::make_shared<HostBuilder>();
    host.streamSubscribers([generator, scratch](SubscriberRows& rows) {
        if (generator->index >= generator->total) return false;
        generator->fill(rows, *scratch);
        ++generator->index;
        return true;
    });
}

}  // namespace brindle::fixture
