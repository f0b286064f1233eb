#include <sqlite3.h>

#include <QByteArrayView>
#include <memory>

#include "export/directory/directory_thread.h"
#include "export/directory/native_read.h"
#include "export/directory/recordset_builder.h"

namespace brindle {

namespace {

// Worded as Qt's driver words it, so that a failure reads the same on either path.
QSqlError failureOf(sqlite3* connection, int code, const char* what) {
    return QSqlError(QString::fromLatin1(what), QString::fromUtf8(sqlite3_errmsg(connection)),
                     QSqlError::StatementError, QString::number(code));
}

void addText(RecordsetBuilder& builder, sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    const std::string_view utf8(text, std::size_t(sqlite3_column_bytes(statement, column)));
    // Bytes that are not UTF-8 are decoded as SQLite itself decodes them, as Qt's driver has it.
    if (QByteArrayView(utf8.data(), qsizetype(utf8.size())).isValidUtf8()) return builder.addUtf8(utf8);
    const auto* utf16 = static_cast<const QChar*>(sqlite3_column_text16(statement, column));
    builder.addValue(QString(utf16, sqlite3_column_bytes16(statement, column) / 2));
}

}  // namespace

NativeRead readSqliteRows(void* sqliteConnection, const QString& sql) {
    auto* const connection = static_cast<sqlite3*>(sqliteConnection);
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* prepared = nullptr;
    if (const int code =
            sqlite3_prepare_v2(connection, text.constData(), int(text.size()), &prepared, nullptr);
        code != SQLITE_OK) {
        return NativeRead::failed(failureOf(connection, code, "Unable to execute statement"));
    }
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(prepared, sqlite3_finalize);
    const int columns = sqlite3_column_count(prepared);
    QStringList fieldNames;
    for (int i = 0; i < columns; ++i)
        fieldNames << QString::fromUtf8(sqlite3_column_name(prepared, i)).remove(u'"');
    RecordsetBuilder builder(std::move(fieldNames));
    int code = SQLITE_OK;
    while ((code = sqlite3_step(prepared)) == SQLITE_ROW) {
        DirectoryThread::heartbeat();
        for (int i = 0; i < columns; ++i) {
            switch (sqlite3_column_type(prepared, i)) {
                case SQLITE_NULL:
                    builder.addNull();
                    break;
                case SQLITE_INTEGER:
                    builder.addInteger(sqlite3_column_int64(prepared, i));
                    break;
                case SQLITE_FLOAT:
                    builder.addValue(sqlite3_column_double(prepared, i));
                    break;
                case SQLITE_BLOB:
                    builder.addValue(QByteArray(static_cast<const char*>(sqlite3_column_blob(prepared, i)),
                                                sqlite3_column_bytes(prepared, i)));
                    break;
                default:
                    addText(builder, prepared, i);
                    break;
            }
        }
    }
    if (code != SQLITE_DONE) return NativeRead::failed(failureOf(connection, code, "Unable to fetch row"));
    return {builder.take(), {}};
}

}  // namespace brindle
