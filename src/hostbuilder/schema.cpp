#include "hostbuilder/schema.h"

#include <QSqlError>
#include <QSqlQuery>

namespace brindle::fixture {

namespace {

TableSchema make(const char* name, std::initializer_list<std::pair<const char*, const char*>> columns,
                 QStringList indexed, bool messageStore = false) {
    TableSchema schema{QString::fromLatin1(name), {}, {}, std::move(indexed), messageStore};
    for (const auto& [column, type] : columns) {
        schema.columns << QString::fromLatin1(column);
        schema.types << QString::fromLatin1(type);
    }
    return schema;
}

constexpr const char* T = "TEXT";
constexpr const char* I = "INTEGER";
constexpr const char* B = "BIGINT";  // mailbox figures pass 32 bits on large stores

Error sqlError(const QSqlError& error, const QString& what) {
    return Error{what + QStringLiteral(": ") + error.text()};
}

}  // namespace

const QList<TableSchema>& tables() {
    static const QList<TableSchema> kTables = {
        make("vw_Subscriber",
             {{"ObjectID", T},
              {"Alias", T},
              {"FirstName", T},
              {"LastName", T},
              {"DisplayName", T},
              {"BillingID", T},
              {"Language", I},
              {"ListInDirectory", I},
              {"IsVmEnrolled", I},
              {"MediaSwitchObjectID", T},
              {"CallHandlerObjectID", T},
              {"COSObjectID", T},
              {"TimeLastCall", T},
              {"Volume", I},
              {"DTMFAccessID", T},
              {"VoiceName", T},
              {"CreationTime", T},
              {"SubscriberObjectID", T}},
             {"ObjectID"}),
        make("vw_CallHandler",
             {{"ObjectID", T},
              {"ScheduleSetObjectID", T},
              {"MaxMsgLen", I},
              {"IsPrimary", I},
              {"Recipient_SubscriberObjectID", T},
              {"DisplayName", T}},
             {"ObjectID"}),
        make("vw_COS", {{"ObjectID", T}, {"DisplayName", T}}, {"ObjectID"}),
        make("vw_DTMFAccessID", {{"Parent_SubscriberObjectID", T}, {"IdIndex", I}, {"DTMFAccessID", T}},
             {"Parent_SubscriberObjectID"}),
        make("vw_ScheduleSet", {{"ObjectID", T}, {"DisplayName", T}}, {"ObjectID"}),
        make("vw_MediaSwitch", {{"ObjectID", T}, {"DisplayName", T}}, {"ObjectID"}),
        make("vw_NotificationMWI",
             {{"SubscriberObjectID", T}, {"DisplayName", T}, {"MWIExtension", T}, {"MWIOn", I}},
             {"SubscriberObjectID"}),
        make("vw_Credential", {{"UserObjectID", T}, {"CredentialType", I}, {"Locked", I}, {"TimeChanged", T}},
             {"UserObjectID"}),
        make("vw_Greeting", {{"CallHandlerObjectID", T}, {"GreetingType", T}, {"TimeExpires", T}},
             {"CallHandlerObjectID"}),
        make("vw_MenuEntry",
             {{"CallHandlerObjectID", T},
              {"TouchtoneKey", T},
              {"Action", I},
              {"TargetConversation", T},
              {"TargetHandlerObjectID", T}},
             {"CallHandlerObjectID"}),
        make("vw_DirectoryHandler", {{"ObjectID", T}, {"DisplayName", T}, {"DTMFAccessID", T}}, {"ObjectID"}),
        make("vw_InterviewHandler", {{"ObjectID", T}, {"DisplayName", T}, {"DTMFAccessID", T}}, {"ObjectID"}),
        make("vw_user", {{"ObjectID", T}}, {"ObjectID"}),
        make("vw_mailbox", {{"UserObjectID", T}, {"MailboxID", T}}, {"UserObjectID"}),
        make("vw_mailbox",
             {{"mailboxobjectid", T}, {"Bytesize", B}, {"Send", B}, {"Receive", B}, {"Warning", B}},
             {"mailboxobjectid"}, true),
    };
    return kTables;
}

const TableSchema* table(const QString& name) {
    const bool messageStore = name == kMessageStoreMailbox;
    for (const TableSchema& schema : tables()) {
        if (schema.messageStore == messageStore && (messageStore || schema.name == name)) return &schema;
    }
    return nullptr;
}

RowWriter::RowWriter(QSqlDatabase database, QSqlDatabase messageStore, QString messageStorePrefix)
    : m_directory(std::move(database)),
      m_messageStore(std::move(messageStore)),
      m_prefix(std::move(messageStorePrefix)) {}

QSqlDatabase& RowWriter::databaseOf(const TableSchema& schema) {
    return schema.messageStore ? m_messageStore : m_directory;
}

QString RowWriter::qualified(const TableSchema& schema) const {
    return schema.messageStore ? m_prefix + schema.name : schema.name;
}

Result<void> RowWriter::createTables(const QStringList& leftOut, const QHash<QString, QString>& columnTypes) {
    for (const TableSchema& schema : tables()) {
        if (!schema.messageStore && leftOut.contains(schema.name)) continue;
        QStringList columns;
        for (qsizetype i = 0; i < schema.columns.size(); ++i) {
            const QString type = columnTypes.value(schema.name + u'.' + schema.columns[i], schema.types[i]);
            columns << schema.columns[i] + u' ' + type;
        }
        QSqlQuery create(databaseOf(schema));
        const QString sql =
            QStringLiteral("CREATE TABLE %1 (%2)").arg(qualified(schema), columns.join(u", "));
        if (!create.exec(sql)) return sqlError(create.lastError(), sql);
    }
    return {};
}

Result<void> RowWriter::insert(const QString& tableName, const QVariantList& values) {
    auto prepared = m_inserts.find(tableName);
    if (prepared == m_inserts.end()) {
        const TableSchema* schema = table(tableName);
        if (!schema) return Error{QStringLiteral("no table %1").arg(tableName)};
        QSqlQuery query(databaseOf(*schema));
        const QString sql = QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                .arg(qualified(*schema),
                                     QStringList(schema->columns.size(), QStringLiteral("?")).join(u", "));
        if (!query.prepare(sql)) return sqlError(query.lastError(), sql);
        prepared = m_inserts.insert(tableName, std::move(query));
    }
    for (qsizetype i = 0; i < values.size(); ++i) prepared->bindValue(static_cast<int>(i), values[i]);
    if (!prepared->exec()) return sqlError(prepared->lastError(), tableName);
    return {};
}

Result<void> RowWriter::createIndexes(const QStringList& leftOut) {
    int number = 0;
    for (const TableSchema& schema : tables()) {
        if (!schema.messageStore && leftOut.contains(schema.name)) continue;
        for (const QString& column : schema.indexed) {
            QSqlQuery index(databaseOf(schema));
            const QString sql = QStringLiteral("CREATE INDEX ix_lookup_%1 ON %2 (%3)")
                                    .arg(++number)
                                    .arg(qualified(schema), column);
            if (!index.exec(sql)) return sqlError(index.lastError(), sql);
        }
    }
    return {};
}

}  // namespace brindle::fixture
