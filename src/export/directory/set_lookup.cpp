#include "export/directory/set_lookup.h"

#include <algorithm>

#include "export/directory/cached_tables.h"
#include "export/directory/directory_connection.h"
#include "export/directory/query_lookup.h"

namespace brindle {

namespace {

// The table start-up already holds for a view, if any.
Recordset* cachedTableOf(CachedTables& tables, QLatin1StringView view) {
    if (!tables.isOpen()) return nullptr;
    if (view == views::kSubscriber.view) return &tables.subscribers();
    if (view == views::kCallHandler.view) return &tables.callHandlers();
    if (view == views::kExtensionsOfSubscriber.view) return &tables.extensions();
    return nullptr;
}

}  // namespace

SetLookup::SetLookup(DirectoryConnection& connection, CachedTables& tables)
    : m_connection(connection), m_tables(tables) {}

SetLookup::View SetLookup::read(const ViewKey& key) {
    if (const Recordset* cached = cachedTableOf(m_tables, key.view))
        return cached->groupedBy(QString(key.keyColumn));
    // A fixed view name from the ViewKey constants, never a value.
    Result<Recordset> rows = m_connection.select(QStringLiteral("SELECT * FROM %1").arg(key.view));
    if (!rows) {
        Error error = rows.error();
        error.source = QueryLookup::statementFor(key);
        return error;
    }
    return rows->groupedBy(QString(key.keyColumn));
}

Result<Recordset> SetLookup::rows(const ViewKey& key, const QVariant& value) {
    auto view = std::find_if(m_views.begin(), m_views.end(), [&key](const auto& known) {
        return known.first.view == key.view && known.first.keyColumn == key.keyColumn;
    });
    if (view == m_views.end()) view = m_views.insert(m_views.end(), {key, read(key)});
    if (!view->second) return view->second.error();
    return view->second->recordsetOf(value);
}

Result<Recordset> SetLookup::mailbox(const QVariant& subscriberId) {
    if (!m_mailboxes) {
        // The message store's name is the connection's fixed text for its dialect.
        const QString sql =
            QStringLiteral(
                "SELECT vw_user.objectid AS brindle_user, m.Bytesize, m.Send, m.Receive, m.Warning "
                "FROM vw_mailbox, vw_user, %1 m WHERE vw_mailbox.USERobjectid=vw_user.objectid AND "
                "vw_mailbox.mailboxid=m.mailboxobjectid")
                .arg(m_connection.messageStoreMailboxView());
        Result<Recordset> rows = m_connection.select(sql);
        if (rows) {
            m_mailboxes = rows->groupedBy(u"brindle_user");
        } else {
            m_mailboxes = rows.error();
        }
    }
    if (!*m_mailboxes) return m_mailboxes->error();
    return (*m_mailboxes)->recordsetOf(subscriberId);
}

}  // namespace brindle
