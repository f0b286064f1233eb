#include <sql.h>
#include <sqlext.h>

#include <QList>
#include <memory>
#include <vector>

#include "export/directory/directory_thread.h"
#include "export/directory/native_read.h"
#include "export/directory/recordset_builder.h"

namespace brindle {

namespace {

// Rows fetched with each call, and the characters of a text read with them; a longer text
// is read on its own.
const SQLULEN kRowsPerFetch =
    qEnvironmentVariableIntValue("XROWS") ? SQLULEN(qEnvironmentVariableIntValue("XROWS")) : 1000;
const SQLULEN kBoundCharacters =
    qEnvironmentVariableIntValue("XCHARS") ? SQLULEN(qEnvironmentVariableIntValue("XCHARS")) : 255;

struct StatementHandle {
    SQLHSTMT handle = SQL_NULL_HSTMT;
    ~StatementHandle() {
        if (handle != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, handle);
    }
};

// The driver's diagnostics of a handle, joined as Qt's driver joins them.
QString diagnosticsOf(SQLSMALLINT type, SQLHANDLE handle, SQLINTEGER& nativeCode) {
    QString text;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[SQL_SQLSTATE_SIZE + 1];
        SQLWCHAR message[SQL_MAX_MESSAGE_LENGTH];
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, record, state, &native, message,
                                          SQL_MAX_MESSAGE_LENGTH, &length)))
            break;
        nativeCode = native;
        if (!text.isEmpty()) text += u' ';
        text += QString(reinterpret_cast<const QChar*>(message),
                        qMin<qsizetype>(length, SQL_MAX_MESSAGE_LENGTH - 1));
    }
    return text;
}

QSqlError failureOf(SQLHDBC connection, SQLHSTMT statement, const char* what) {
    SQLINTEGER nativeCode = 0;
    QString text = diagnosticsOf(SQL_HANDLE_DBC, connection, nativeCode);
    const QString ofStatement = diagnosticsOf(SQL_HANDLE_STMT, statement, nativeCode);
    if (!text.isEmpty() && !ofStatement.isEmpty()) text += u' ';
    text += ofStatement;
    return QSqlError(QString::fromLatin1(what), text, QSqlError::StatementError, QString::number(nativeCode));
}

// One column's values for a whole block of rows, bound as texts or as whole numbers.
struct BoundColumn {
    bool text = false;
    SQLULEN characters = 0;  // a text's room per row, without the terminating zero
    std::vector<SQLWCHAR> texts;
    std::vector<SQLBIGINT> numbers;
    std::vector<SQLLEN> lengths;
};

// Which columns this reader takes as they are: texts and signed whole numbers, which Qt's
// driver also gives as a QString and a whole number. For anything else it steps aside.
bool bindable(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT type, BoundColumn& bound) {
    switch (type) {
        case SQL_CHAR:
        case SQL_VARCHAR:
        case SQL_LONGVARCHAR:
        case SQL_WCHAR:
        case SQL_WVARCHAR:
        case SQL_WLONGVARCHAR:
            bound.text = true;
            return true;
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
            return true;
        case SQL_BIGINT: {
            SQLLEN isUnsigned = SQL_FALSE;
            SQLColAttributeW(statement, column, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned);
            return isUnsigned == SQL_FALSE;
        }
        default:
            return false;
    }
}

// The whole of a text longer than its bound room, read from the driver for that row.
std::optional<QString> wholeText(SQLHSTMT statement, SQLUSMALLINT column, SQLSETPOSIROW row) {
    if (!SQL_SUCCEEDED(SQLSetPos(statement, row, SQL_POSITION, SQL_LOCK_NO_CHANGE))) return std::nullopt;
    QString text;
    SQLWCHAR part[4096];
    for (;;) {
        SQLLEN length = 0;
        const SQLRETURN got = SQLGetData(statement, column, SQL_C_WCHAR, part, sizeof part, &length);
        if (got == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(got) || length == SQL_NULL_DATA) return std::nullopt;
        const qsizetype room = qsizetype(sizeof part / sizeof *part) - 1;
        const qsizetype units = length == SQL_NO_TOTAL ? room : qMin<qsizetype>(length / 2, room);
        text.append(reinterpret_cast<const QChar*>(part), units);
        if (got == SQL_SUCCESS) break;
    }
    return text;
}

}  // namespace

NativeRead readOdbcRows(void* odbcConnection, const QString& sql) {
    const SQLHDBC connection = odbcConnection;
    SQLUINTEGER extensions = 0;
    SQLGetInfoW(connection, SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr);
    StatementHandle statement;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement.handle))) return {};
    const SQLHSTMT hstmt = statement.handle;
    SQLSetStmtAttr(hstmt, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_FORWARD_ONLY), 0);
    SQLSetStmtAttr(hstmt, SQL_ATTR_CONCURRENCY, reinterpret_cast<SQLPOINTER>(SQL_CONCUR_READ_ONLY), 0);
    if (!SQL_SUCCEEDED(SQLExecDirectW(hstmt, reinterpret_cast<SQLWCHAR*>(const_cast<QChar*>(sql.constData())),
                                      SQLINTEGER(sql.size())))) {
        return NativeRead::failed(failureOf(connection, hstmt, "Unable to execute statement"));
    }
    SQLSMALLINT columns = 0;
    SQLNumResultCols(hstmt, &columns);
    QStringList fieldNames;
    std::vector<BoundColumn> bound(std::size_t(qMax<SQLSMALLINT>(columns, 0)));
    for (SQLUSMALLINT column = 1; column <= columns; ++column) {
        SQLWCHAR name[256];
        SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        if (!SQL_SUCCEEDED(
                SQLDescribeColW(hstmt, column, name, 256, &nameLength, &type, &size, &digits, &nullable)))
            return {};
        BoundColumn& bind = bound[column - 1];
        if (!bindable(hstmt, column, type, bind)) return {};
        fieldNames << QString(reinterpret_cast<const QChar*>(name), qMin<SQLSMALLINT>(nameLength, 255));
        bind.lengths.resize(kRowsPerFetch);
        SQLRETURN bindResult = SQL_ERROR;
        if (bind.text) {
            bind.characters = size > 0 && size < kBoundCharacters ? size : kBoundCharacters;
            bind.texts.resize((bind.characters + 1) * kRowsPerFetch);
            bindResult = SQLBindCol(hstmt, column, SQL_C_WCHAR, bind.texts.data(),
                                    SQLLEN((bind.characters + 1) * sizeof(SQLWCHAR)), bind.lengths.data());
        } else {
            bind.numbers.resize(kRowsPerFetch);
            bindResult =
                SQLBindCol(hstmt, column, SQL_C_SBIGINT, bind.numbers.data(), 0, bind.lengths.data());
        }
        if (!SQL_SUCCEEDED(bindResult)) return {};
    }
    SQLULEN fetched = 0;
    std::vector<SQLUSMALLINT> rowStates(kRowsPerFetch);
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(hstmt, SQL_ATTR_ROW_BIND_TYPE, SQL_BIND_BY_COLUMN, 0)) ||
        !SQL_SUCCEEDED(
            SQLSetStmtAttr(hstmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kRowsPerFetch), 0)) ||
        !SQL_SUCCEEDED(SQLSetStmtAttr(hstmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0)) ||
        !SQL_SUCCEEDED(SQLSetStmtAttr(hstmt, SQL_ATTR_ROW_STATUS_PTR, rowStates.data(), 0))) {
        return {};
    }
    const bool canReadLongTexts = (extensions & SQL_GD_BLOCK) && (extensions & SQL_GD_BOUND);

    RecordsetBuilder builder(std::move(fieldNames));
    for (;;) {
        const SQLRETURN got = SQLFetch(hstmt);
        if (got == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(got))
            return NativeRead::failed(failureOf(connection, hstmt, "Unable to fetch row"));
        DirectoryThread::heartbeat();
        for (SQLULEN row = 0; row < fetched; ++row) {
            if (rowStates[row] == SQL_ROW_ERROR)
                return NativeRead::failed(failureOf(connection, hstmt, "Unable to fetch row"));
            for (std::size_t column = 0; column < bound.size(); ++column) {
                const BoundColumn& bind = bound[column];
                const SQLLEN length = bind.lengths[row];
                if (length == SQL_NULL_DATA) {
                    builder.addNull();
                } else if (!bind.text) {
                    builder.addInteger(bind.numbers[row]);
                } else if (length != SQL_NO_TOTAL && SQLULEN(length) <= bind.characters * sizeof(SQLWCHAR)) {
                    builder.addUtf16(
                        reinterpret_cast<const char16_t*>(&bind.texts[row * (bind.characters + 1)]),
                        qsizetype(length / 2));
                } else {
                    std::optional<QString> text;
                    if (canReadLongTexts)
                        text = wholeText(hstmt, SQLUSMALLINT(column + 1), SQLSETPOSIROW(row + 1));
                    if (!text) return {};  // QtSql reads the statement again
                    builder.addValue(*text);
                }
            }
        }
    }
    return {builder.take(), {}};
}

}  // namespace brindle
