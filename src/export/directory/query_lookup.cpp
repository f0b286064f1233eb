#include "export/directory/query_lookup.h"

#include "export/directory/directory_connection.h"
#include "export/directory/id_key.h"

namespace brindle {

namespace {

QString asciiCapitals(QString text) {
    for (QChar& c : text) {
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - (u'a' - u'A'));
    }
    return text;
}

}  // namespace

QueryLookup::QueryLookup(DirectoryConnection& connection) : m_connection(connection) {}

QString QueryLookup::statementFor(const ViewKey& key) {
    // The names come from the fixed ViewKey constants only; the values are always bound.
    return QStringLiteral("SELECT * FROM %1 WHERE %2 IN (?, ?, ?)").arg(key.view, key.keyColumn);
}

Result<Recordset> QueryLookup::rows(const ViewKey& key, const QVariant& value) {
    return run(statementFor(key), QString(key.keyColumn), value);
}

Result<Recordset> QueryLookup::mailbox(const QVariant& subscriberId) {
    // The message store's name is the connection's fixed text for its dialect.
    return run(QStringLiteral("SELECT vw_user.objectid AS brindle_user, m.Bytesize, m.Send, m.Receive, "
                              "m.Warning FROM vw_mailbox, vw_user, %1 m "
                              "WHERE vw_mailbox.USERobjectid=vw_user.objectid AND "
                              "vw_mailbox.mailboxid=m.mailboxobjectid AND vw_user.objectid IN (?, ?, ?)")
                   .arg(m_connection.messageStoreMailboxView()),
               QStringLiteral("brindle_user"), subscriberId);
}

Result<Recordset> QueryLookup::run(const QString& sql, const QString& keyColumn, const QVariant& value) {
    const std::optional<QString> key = idKey(value);
    // A Null finds no row, but the statement still runs: a view that cannot be read fails
    // here as it does under the other reader.
    if (!key) return m_connection.selectRepeated(sql, {value, value, value});
    // The value as given, in capitals and as its key: the forms an id is stored in, each found
    // through the column's own index. The key then decides, as it does for the other reader.
    const QString text = value.toString();
    Result<Recordset> found = m_connection.selectRepeated(sql, {text, asciiCapitals(text), *key});
    if (!found) return found;
    return found->filtered([&](const Recordset& row) {
        const Result<QVariant> cell = row.value(keyColumn);
        return cell && idKey(*cell) == key;
    });
}

}  // namespace brindle
