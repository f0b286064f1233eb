#pragma once

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include "platform/result.h"

namespace brindle::fixture {

// The directory's views as this program reads them, with their fields in order. A host
// folder's databases hold them as tables of the same names.
struct TableSchema {
    QString name;
    QStringList columns;
    QStringList types;    // portable SQL types, one per column
    QStringList indexed;  // look-up keys
    bool messageStore = false;
};

// The builder's name for the message store's mailbox table.
inline const QString kMessageStoreMailbox = QStringLiteral("HalvernMbxDB1.vw_mailbox");

const QList<TableSchema>& tables();
const TableSchema* table(const QString& name);

// Inserts rows into one database with one prepared statement per table, values bound.
class RowWriter {
public:
    // `messageStorePrefix` names where the message store's tables live from `database`
    // ("" for its own database, "HalvernMbxDB1." for a schema).
    RowWriter(QSqlDatabase database, QSqlDatabase messageStore, QString messageStorePrefix = {});

    // Creates the tables (except those left out) without indexes; `columnTypes` ("table.column"
    // -> SQL type) replaces the usual type of a column.
    Result<void> createTables(const QStringList& leftOut, const QHash<QString, QString>& columnTypes = {});
    Result<void> insert(const QString& tableName, const QVariantList& values);
    Result<void> createIndexes(const QStringList& leftOut);

private:
    QSqlDatabase& databaseOf(const TableSchema& schema);
    QString qualified(const TableSchema& schema) const;

    QSqlDatabase m_directory;
    QSqlDatabase m_messageStore;
    QString m_prefix;
    QHash<QString, QSqlQuery> m_inserts;
};

}  // namespace brindle::fixture
