#include "export/directory/cached_tables.h"

#include "export/directory/directory_connection.h"

namespace brindle {

namespace {

Result<void> openTable(std::optional<Recordset>& table, DirectoryConnection& connection, const QString& sql,
                       bool indexObjectId) {
    if (table) return {};
    auto rows = connection.select(sql);
    if (!rows) return rows.error();
    if (indexObjectId) rows->indexField(u"ObjectID");
    table = std::move(rows).value();
    return {};
}

}  // namespace

Result<void> CachedTables::OpenDirectoryTables(DirectoryConnection& connection) {
    struct Step {
        std::optional<Recordset>& table;
        const char* sql;
        bool indexObjectId;
    };
    const Step steps[] = {
        {m_callHandlers, "Select * from vw_CallHandler", true},
        {m_subscribers, "Select * from vw_Subscriber", true},
        {m_classesOfService, "Select * from vw_COS order by ObjectID", true},
        {m_extensions, "Select * from vw_DTMFAccessID", false},
    };
    for (const Step& step : steps) {
        if (auto opened =
                openTable(step.table, connection, QString::fromLatin1(step.sql), step.indexObjectId);
            !opened) {
            CloseDirectoryTables();
            return opened;
        }
    }
    return {};
}

Result<void> CachedTables::reopenSubscribers(DirectoryConnection& connection) {
    std::optional<Recordset> fresh;
    if (auto opened = openTable(fresh, connection, QStringLiteral("Select * from vw_Subscriber"), true);
        !opened) {
        return opened;
    }
    m_subscribers = std::move(fresh);
    return {};
}

void CachedTables::CloseDirectoryTables() {
    m_callHandlers.reset();
    m_subscribers.reset();
    m_classesOfService.reset();
    m_extensions.reset();
}

bool CachedTables::isOpen() const {
    return m_callHandlers && m_subscribers && m_classesOfService && m_extensions;
}

}  // namespace brindle
