#include "export/directory/query_lookup.h"

#include "export/directory/directory_connection.h"

namespace brindle {

QueryLookup::QueryLookup(DirectoryConnection& connection) : m_connection(connection) {}

QString QueryLookup::statementFor(const ViewKey& key) {
    // The names come from the fixed ViewKey constants only; the value is always bound.
    return QStringLiteral("SELECT * FROM %1 WHERE %2 = ?").arg(key.view, key.keyColumn);
}

Result<Recordset> QueryLookup::rows(const ViewKey& key, const QVariant& value) {
    return run(statementFor(key), value);
}

Result<Recordset> QueryLookup::mailbox(const QVariant& subscriberId) {
    // The message store's name is the connection's fixed text for its dialect.
    return run(
        QStringLiteral("SELECT m.Bytesize, m.Send, m.Receive, m.Warning FROM vw_mailbox, vw_user, %1 m "
                       "WHERE vw_mailbox.USERobjectid=vw_user.objectid AND "
                       "vw_mailbox.mailboxid=m.mailboxobjectid AND vw_user.objectid = ?")
            .arg(m_connection.messageStoreMailboxView()),
        subscriberId);
}

Result<Recordset> QueryLookup::run(const QString& sql, const QVariant& value) {
    return m_connection.selectRepeated(sql, {value.isNull() ? value : QVariant(value.toString())});
}

}  // namespace brindle
