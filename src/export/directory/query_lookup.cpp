#include "export/directory/query_lookup.h"

#include <QSqlError>

#include "export/directory/directory_connection.h"

namespace brindle {

QueryLookup::QueryLookup(DirectoryConnection& connection) : m_connection(connection) {}

Result<Recordset> QueryLookup::rows(const ViewKey& key, const QVariant& value) {
    // The names come from the fixed ViewKey constants only; the value is always bound.
    const QString sql = QStringLiteral("SELECT * FROM %1 WHERE %2 = ?").arg(key.view, key.keyColumn);
    auto prepared = m_prepared.find(sql);
    if (prepared == m_prepared.end()) {
        QSqlQuery query(m_connection.database());
        query.setForwardOnly(true);
        if (!query.prepare(sql)) {
            return Error{query.lastError().text(), query.lastError().nativeErrorCode().toInt(), sql};
        }
        prepared = m_prepared.insert(sql, std::move(query));
    }
    QSqlQuery& query = *prepared;
    query.bindValue(0, value.isNull() ? value : QVariant(value.toString()));
    if (!query.exec()) {
        return Error{query.lastError().text(), query.lastError().nativeErrorCode().toInt(), sql};
    }
    auto result = Recordset::fetchAll(query);
    query.finish();
    return result;
}

}  // namespace brindle
