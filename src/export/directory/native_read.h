#pragma once

#include <QSqlError>
#include <QString>
#include <optional>

#include "export/directory/recordset.h"

class QSqlDatabase;

namespace brindle {

// A whole statement read through the interface of the driver beneath QtSql, on the connection
// QtSql opened: for SQLite and ODBC, where Qt's drivers turn every cell into a QVariant of its
// own and this reader makes one per distinct value. The values are those Qt's driver gives.
struct NativeRead {
    std::optional<Recordset> rows;
    QSqlError failure;  // valid when the statement failed; neither: read it through QtSql

    static NativeRead failed(QSqlError error) { return {std::nullopt, std::move(error)}; }
};

// Rows an ODBC driver hands over at a time.
inline constexpr int kOdbcRowsPerFetch = 2000;

// Reads the statement, which has no placeholders, on the calling thread (the connection's).
NativeRead readNatively(const QSqlDatabase& db, const QString& sql);

// The readers behind it, for a connection handle of their kind.
NativeRead readSqliteRows(void* sqliteConnection, const QString& sql);
NativeRead readOdbcRows(void* odbcConnection, const QString& sql);

}  // namespace brindle
