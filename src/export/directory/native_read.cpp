#include "export/directory/native_read.h"

#include <QSqlDatabase>
#include <QSqlDriver>

namespace brindle {

namespace {

// The handle a driver hands out, when it is of the named type. Qt's SQLite driver names its
// type "sqlite3*"; the ODBC driver's SQLHANDLE is a void*.
void* handleOf(const QSqlDatabase& db, const char* typeName) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), typeName) != 0) return nullptr;
    return *static_cast<void* const*>(handle.constData());
}

}  // namespace

NativeRead readNatively(const QSqlDatabase& db, const QString& sql) {
    if (!db.isOpen()) return {};
    if (db.driverName() == QLatin1String("QSQLITE")) {
        if (void* connection = handleOf(db, "sqlite3*")) return readSqliteRows(connection, sql);
    } else if (db.driverName() == QLatin1String("QODBC")) {
        if (void* connection = handleOf(db, "void*")) return readOdbcRows(connection, sql);
    }
    return {};
}

}  // namespace brindle
