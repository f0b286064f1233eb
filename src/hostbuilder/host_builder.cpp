#include "hostbuilder/host_builder.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include "hostbuilder/schema.h"
#include "hostbuilder/wav.h"

namespace brindle::fixture {

namespace {

const QStringList kGreetingTypes{"Alternate", "Busy", "Internal", "Off Hours", "Holiday"};
const QStringList kKeys{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "*", "#"};

QString objectIdFor(const QString& alias, qsizetype index) {
    static const QUuid kNamespace(QStringLiteral("6f1c2a4e-2b7d-4c1e-9a53-0d7e4b9c8a11"));
    return QUuid::createUuidV5(kNamespace, QStringLiteral("%1/%2").arg(alias).arg(index))
        .toString(QUuid::WithoutBraces);
}

QVariantList rowOf(const TableSchema& schema, const QVariantMap& fields) {
    QVariantList row;
    for (const QString& column : schema.columns) row << fields.value(column);
    return row;
}

Result<void> writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return Error{QStringLiteral("cannot write %1: %2").arg(path, file.errorString())};
    }
    return {};
}

QString connectionName() {
    static QAtomicInteger<int> counter;
    return QStringLiteral("brindle-fixture-%1").arg(counter.fetchAndAddRelaxed(1));
}

}  // namespace

SubscriberRows& SubscriberRows::set(const QString& field, const QVariant& value) {
    subscriber.insert(field, value);
    return *this;
}

SubscriberRows& SubscriberRows::withoutCallHandler() {
    callHandler.reset();
    return *this;
}

SubscriberRows& SubscriberRows::primaryExtension(const QVariant& extension) {
    extensions.removeIf([](const QVariantList& row) { return row[0].toInt() == 0; });
    extensions.prepend({0, extension});
    return *this;
}

SubscriberRows& SubscriberRows::alternateExtensions(const QStringList& alternates) {
    extensions.removeIf([](const QVariantList& row) { return row[0].toInt() > 0; });
    for (qsizetype i = 0; i < alternates.size(); ++i) extensions.append({int(i + 1), alternates[i]});
    return *this;
}

HostBuilder::HostBuilder() {
    addRow(QStringLiteral("vw_COS"), {{"ObjectID", kDefaultCos}, {"DisplayName", "Default"}});
    addRow(QStringLiteral("vw_ScheduleSet"), {{"ObjectID", kDefaultSchedule}, {"DisplayName", "Weekdays"}});
    addRow(QStringLiteral("vw_MediaSwitch"), {{"ObjectID", kDefaultSwitch}, {"DisplayName", "Main PBX"}});
}

SubscriberRows& HostBuilder::subscriber(const QString& alias) {
    const qsizetype index = m_subscribers.size();
    const QString id = objectIdFor(alias, index);
    const QString handler = QStringLiteral("ch-") + id;
    const QString extension = QString::number(1000 + index);
    QString first = alias;
    if (!first.isEmpty()) first[0] = first[0].toUpper();

    SubscriberRows rows;
    rows.subscriber = {{"ObjectID", id},
                       {"Alias", alias},
                       {"FirstName", first},
                       {"LastName", "Tester"},
                       {"DisplayName", first + " Tester"},
                       {"BillingID", QStringLiteral("B%1").arg(index + 1)},
                       {"Language", 1033},
                       {"ListInDirectory", 1},
                       {"IsVmEnrolled", 1},
                       {"MediaSwitchObjectID", kDefaultSwitch},
                       {"CallHandlerObjectID", handler},
                       {"COSObjectID", kDefaultCos},
                       {"TimeLastCall", "2026-11-30 14:30:00"},
                       {"Volume", 50},
                       {"DTMFAccessID", extension},
                       {"VoiceName", QVariant()},
                       {"CreationTime", "2025-01-15 09:00:00"},
                       {"SubscriberObjectID", id}};
    rows.callHandler = QVariantMap{
        {"ObjectID", handler}, {"ScheduleSetObjectID", kDefaultSchedule}, {"MaxMsgLen", 300},
        {"IsPrimary", 1},      {"Recipient_SubscriberObjectID", id},      {"DisplayName", first + " Tester"}};
    rows.extensions = {{0, extension}};
    rows.mwiDevices = {{"MWI-1", extension, 0}};
    rows.credentials = {{4, 0, "2026-10-01 08:00:00"}};
    for (const QString& type : kGreetingTypes) {
        const bool standing = type == QLatin1String("Busy") || type == QLatin1String("Internal");
        rows.greetings.append({type, standing ? QVariant() : QVariant("2020-01-01 00:00:00")});
    }
    for (const QString& key : kKeys) {
        if (key == QLatin1String("*")) {
            rows.menuEntries.append({key, 2, "SubSignIn", QVariant()});
        } else {
            rows.menuEntries.append({key, key == QLatin1String("#") ? 5 : 0, QVariant(), QVariant()});
        }
    }
    rows.mailbox = QVariantList{20480, 10000000, 12000000, 8000000};
    m_subscribers.append(rows);
    return m_subscribers.last();
}

HostBuilder& HostBuilder::addRow(const QString& table, const QVariantMap& fields) {
    m_extraRows.append({table, fields});
    return *this;
}

HostBuilder& HostBuilder::status(std::optional<int> status) {
    m_status = status;
    return *this;
}

HostBuilder& HostBuilder::registryText(const QString& text) {
    m_registryText = text;
    return *this;
}

HostBuilder& HostBuilder::withoutMakerKey() {
    m_makerKey = false;
    return *this;
}

HostBuilder& HostBuilder::olderKey(quint32 versionNumber, quint32 buildNumber) {
    m_olderKey = std::pair{versionNumber, buildNumber};
    return *this;
}

HostBuilder& HostBuilder::withoutView(const QString& table) {
    m_leftOutViews << table;
    return *this;
}

HostBuilder& HostBuilder::columnType(const QString& table, const QString& column, const QString& type) {
    m_columnTypes.insert(table + u'.' + column, type);
    return *this;
}

HostBuilder& HostBuilder::withoutDirectoryDatabase() {
    m_directoryDatabase = false;
    return *this;
}

QString HostBuilder::registryExport() const {
    if (m_registryText) return *m_registryText;
    QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n");
    if (m_makerKey) {
        text += QStringLiteral(
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestrom Systems\\Kestrom Halvern]\r\n"
            "\"MajorVersion\"=dword:00000004\r\n\"MinorVersion\"=dword:00000000\r\n"
            "\"ReleaseVersion\"=dword:00000003\r\n\"BuildVersion\"=dword:0000007d\r\n"
            "\"InstalledFolderPath\"=\"install\"\r\n\r\n");
    }
    if (m_olderKey) {
        text += QStringLiteral(
                    "[HKEY_LOCAL_MACHINE\\Software\\Torvane]\r\n\"Version Number\"=dword:%1\r\n"
                    "\"Build Number\"=dword:%2\r\n\r\n")
                    .arg(m_olderKey->first, 8, 16, QLatin1Char('0'))
                    .arg(m_olderKey->second, 8, 16, QLatin1Char('0'));
    }
    return text;
}

Result<void> HostBuilder::writeSubscriber(RowWriter& writer, const SubscriberRows& rows,
                                          const QString& streamFolder) const {
    const QVariant id = rows.id();
    const QVariant handler = rows.subscriber.value(QStringLiteral("CallHandlerObjectID"));
    auto put = [&writer](const QString& table, QVariantList values) { return writer.insert(table, values); };
    Result<void> done =
        put(QStringLiteral("vw_Subscriber"), rowOf(*table(QStringLiteral("vw_Subscriber")), rows.subscriber));
    if (done && rows.callHandler) {
        done = put(QStringLiteral("vw_CallHandler"),
                   rowOf(*table(QStringLiteral("vw_CallHandler")), *rows.callHandler));
    }
    struct Child {
        const char* table;
        const QList<QVariantList>& rows;
        QVariant owner;
    };
    const Child children[] = {{"vw_DTMFAccessID", rows.extensions, id},
                              {"vw_NotificationMWI", rows.mwiDevices, id},
                              {"vw_Credential", rows.credentials, id},
                              {"vw_Greeting", rows.greetings, handler},
                              {"vw_MenuEntry", rows.menuEntries, handler}};
    for (const Child& child : children) {
        if (m_leftOutViews.contains(QLatin1String(child.table))) continue;
        for (const QVariantList& row : child.rows) {
            if (!done) return done;
            done = put(QLatin1String(child.table), QVariantList{child.owner} + row);
        }
    }
    if (done && rows.mailbox) {
        const QVariant mailboxId = QStringLiteral("mbx-") + id.toString();
        done = put(QStringLiteral("vw_user"), {id});
        if (done) done = put(QStringLiteral("vw_mailbox"), {id, mailboxId});
        if (done) done = put(kMessageStoreMailbox, QVariantList{mailboxId} + *rows.mailbox);
    }
    if (done && !rows.voiceFile.isEmpty() && !streamFolder.isEmpty()) {
        const QString path = QDir(streamFolder).filePath(rows.voiceFile);
        if (!QFile::exists(path))
            done = writeFile(path, toneWav(440 + 20 * int(qHash(rows.voiceFile) % 20), 250));
    }
    return done;
}

Result<void> HostBuilder::writeRows(RowWriter& writer, const QString& streamFolder) const {
    if (auto created = writer.createTables(m_leftOutViews, m_columnTypes); !created) return created;
    for (const auto& [tableName, fields] : m_extraRows) {
        if (m_leftOutViews.contains(tableName)) continue;
        const TableSchema* schema = table(tableName);
        if (!schema) return Error{QStringLiteral("no table %1").arg(tableName)};
        if (auto inserted = writer.insert(tableName, rowOf(*schema, fields)); !inserted) return inserted;
    }
    for (const SubscriberRows& rows : m_subscribers) {
        if (auto written = writeSubscriber(writer, rows, streamFolder); !written) return written;
    }
    if (m_source) {
        SubscriberRows rows;
        while (m_source(rows)) {
            if (auto written = writeSubscriber(writer, rows, streamFolder); !written) return written;
        }
    }
    return writer.createIndexes(m_leftOutViews);
}

Result<void> HostBuilder::writeDatabases(QSqlDatabase directory, QSqlDatabase messageStore,
                                         const QString& messageStorePrefix) const {
    RowWriter writer(directory, messageStore, messageStorePrefix);
    return writeRows(writer, QString());
}

Result<QString> HostBuilder::write(const QString& folder) const {
    const QDir host(folder);
    const QString streams = host.filePath(QStringLiteral("install/Streams/HalvernDirDb"));
    if (!QDir().mkpath(streams)) return Error{QStringLiteral("cannot create %1").arg(streams)};

    QByteArray registry("\xFF\xFE");
    const QString text = registryExport();
    registry.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    if (auto written = writeFile(host.filePath(QStringLiteral("registry.reg")), registry); !written) {
        return written.error();
    }
    QFile::remove(host.filePath(QStringLiteral("status")));
    if (m_status) {
        if (auto written = writeFile(host.filePath(QStringLiteral("status")), QByteArray::number(*m_status));
            !written) {
            return written.error();
        }
    }
    if (!m_directoryDatabase) return host.absolutePath();

    const QString directoryPath = host.filePath(QStringLiteral("HalvernDirDB.db"));
    const QString messageStorePath = host.filePath(QStringLiteral("HalvernMbxDB1.db"));
    QFile::remove(directoryPath);
    QFile::remove(messageStorePath);
    const QString directoryName = connectionName();
    const QString messageStoreName = connectionName();
    Result<void> done;
    {
        QSqlDatabase directory = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), directoryName);
        QSqlDatabase messageStore = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), messageStoreName);
        directory.setDatabaseName(directoryPath);
        messageStore.setDatabaseName(messageStorePath);
        for (QSqlDatabase* db : {&directory, &messageStore}) {
            if (!db->open()) {
                done = Error{
                    QStringLiteral("cannot create %1: %2").arg(db->databaseName(), db->lastError().text())};
                break;
            }
            // A throwaway file: nothing to protect while it is written.
            QSqlQuery(*db).exec(QStringLiteral("PRAGMA journal_mode=OFF"));
            QSqlQuery(*db).exec(QStringLiteral("PRAGMA synchronous=OFF"));
            db->transaction();
        }
        if (done) {
            RowWriter writer(directory, messageStore);
            done = writeRows(writer, streams);
        }
        for (QSqlDatabase* db : {&directory, &messageStore}) {
            if (done && !db->commit()) done = Error{db->lastError().text()};
            db->close();
        }
    }
    QSqlDatabase::removeDatabase(directoryName);
    QSqlDatabase::removeDatabase(messageStoreName);
    if (!done) return done.error();
    return host.absolutePath();
}

}  // namespace brindle::fixture
