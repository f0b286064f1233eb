#include "export/directory/directory_connection.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include "export/directory/native_read.h"

namespace brindle {

namespace {

using namespace std::chrono_literals;

QString nextConnectionName() {
    static QAtomicInteger<int> counter;
    return QStringLiteral("brindle-directory-%1").arg(counter.fetchAndAddRelaxed(1));
}

// Added to a time-out the driver keeps itself, so that its own words say what happened.
constexpr auto kDriverGrace = 5s;

std::chrono::milliseconds waitFor(int timeoutSeconds) {
    return std::chrono::seconds(timeoutSeconds) + kDriverGrace;
}

Error errorOf(const QSqlError& error, const QString& context) {
    return Error{context + QStringLiteral(": ") + error.text(), error.nativeErrorCode().toInt(),
                 error.driverText().isEmpty() ? QStringLiteral("Directory") : error.driverText()};
}

// SQLite's codes for a database that is locked, unreadable, damaged or not a database.
bool isSqliteFailureOfTheDatabase(const QSqlError& error) {
    static const QStringList kCodes{QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("10"),
                                    QStringLiteral("11"), QStringLiteral("26")};
    return kCodes.contains(error.nativeErrorCode());
}

// A failed statement as an Error naming `source`. Marked fatal when the directory itself
// failed rather than the statement: the connection is lost (a trivial statement fails too),
// the database is locked past its wait, damaged or gone.
Error failureOf(const QSqlDatabase& db, const QSqlError& error, const QString& source) {
    Error failure{error.text(), error.nativeErrorCode().toInt(), source};
    if (error.type() == QSqlError::ConnectionError) {
        failure.fatal = true;
    } else if (db.driverName() == QLatin1String("QSQLITE")) {
        failure.fatal = isSqliteFailureOfTheDatabase(error);
    } else {
        // A driver's own words differ; whether the connection still answers does not.
        QSqlQuery probe(db);
        failure.fatal = !probe.exec(QStringLiteral("SELECT 1"));
    }
    return failure;
}

// Runs a prepared statement with its values and fetches its rows.
Result<Recordset> execute(const QSqlDatabase& db, QSqlQuery& query, const QString& sql,
                          const QVariantList& boundValues) {
    for (qsizetype i = 0; i < boundValues.size(); ++i) query.bindValue(int(i), boundValues[i]);
    if (!query.exec()) return failureOf(db, query.lastError(), sql);
    auto rows = Recordset::fetchAll(query);
    if (!rows) rows = failureOf(db, query.lastError(), sql);
    query.finish();
    return rows;
}

}  // namespace

// What the directory's thread holds, and only it touches.
struct DirectoryConnection::Link {
    QString connectionName = nextConnectionName();
    QHash<QString, QSqlQuery> prepared;  // by statement

    QSqlDatabase database() const { return QSqlDatabase::database(connectionName, false); }
};

QString DirectoryConnection::odbcConnectionString(const QString& given, bool wholeViews) {
    static const QRegularExpression kPostgreSqlDriver(
        QStringLiteral(R"((^|;)\s*Driver\s*=\s*\{?[^;]*PostgreSQL)"),
        QRegularExpression::CaseInsensitiveOption);
    if (!wholeViews || !kPostgreSqlDriver.match(given).hasMatch() ||
        given.contains(QLatin1StringView("UseDeclareFetch"), Qt::CaseInsensitive)) {
        return given;
    }
    QString extended = given;
    if (!extended.trimmed().endsWith(u';')) extended += u';';
    return extended + QStringLiteral("UseDeclareFetch=1;Fetch=%1").arg(kOdbcRowsPerFetch);
}

DirectoryConnection::DirectoryConnection(QString messageStoreMailboxView, DirectoryTimeouts timeouts)
    : m_link(std::make_shared<Link>()),
      m_messageStoreMailboxView(std::move(messageStoreMailboxView)),
      m_timeouts(timeouts) {}

DirectoryConnection::~DirectoryConnection() {
    m_thread.finish([link = m_link] {
        link->prepared.clear();
        if (QSqlDatabase db = link->database(); db.isValid()) db.close();
        QSqlDatabase::removeDatabase(link->connectionName);
    });
}

Result<void> DirectoryConnection::connect(std::function<Result<void>(Link&)> open) {
    auto opened = std::make_shared<Result<void>>();
    if (auto waited = m_thread.run([link = m_link, opened, open] { *opened = open(*link); },
                                   waitFor(m_timeouts.connectSeconds));
        !waited) {
        return waited.error();
    }
    return *opened;
}

Result<Recordset> DirectoryConnection::onThread(Work work, const QString& sql) {
    auto rows = std::make_shared<Result<Recordset>>(Error{});
    if (auto waited = m_thread.run([link = m_link, rows, work] { *rows = work(*link); },
                                   waitFor(m_timeouts.statementSeconds));
        !waited) {
        Error failure = waited.error();
        failure.source = sql;
        return failure;
    }
    return std::move(*rows);
}

Result<std::unique_ptr<DirectoryConnection>> DirectoryConnection::openSqlite(const QString& directoryPath,
                                                                             const QString& messageStorePath,
                                                                             DirectoryTimeouts timeouts) {
    // Read-only also keeps SQLite from creating an empty database where none exists.
    if (!QFileInfo(directoryPath).isFile()) {
        return Error{QStringLiteral("The directory database %1 does not exist.").arg(directoryPath)};
    }
    std::unique_ptr<DirectoryConnection> connection(
        new DirectoryConnection(QStringLiteral("HalvernMbxDB1.vw_mailbox"), timeouts));
    const int busyMilliseconds = timeouts.statementSeconds * 1000;
    auto opened = connection->connect([=](Link& link) -> Result<void> {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), link.connectionName);
        db.setDatabaseName(directoryPath);
        db.setConnectOptions(
            QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(busyMilliseconds));
        if (!db.open()) return errorOf(db.lastError(), QStringLiteral("Cannot open %1").arg(directoryPath));

        // A missing message store is not a start-up failure: only the mailbox columns need it,
        // and they report it subscriber by subscriber.
        if (QFileInfo(messageStorePath).isFile()) {
            QSqlQuery attach(db);
            attach.prepare(QStringLiteral("ATTACH DATABASE ? AS HalvernMbxDB1"));
            attach.addBindValue(messageStorePath);
            attach.exec();
        }
        return {};
    });
    if (!opened) return opened.error();
    return connection;
}

Result<std::unique_ptr<DirectoryConnection>> DirectoryConnection::openOdbc(const QString& connectionString,
                                                                           bool wholeViews,
                                                                           DirectoryTimeouts timeouts) {
    std::unique_ptr<DirectoryConnection> connection(
        new DirectoryConnection(QStringLiteral("HalvernMbxDB1.vw_mailbox"), timeouts));
    const QString options = QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%2")
                                .arg(timeouts.connectSeconds)
                                .arg(timeouts.statementSeconds);
    auto server = std::make_shared<QSqlDriver::DbmsType>(QSqlDriver::UnknownDbms);
    auto opened = connection->connect([=](Link& link) -> Result<void> {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), link.connectionName);
        if (!db.isValid()) return Error{QStringLiteral("The ODBC database driver is not available.")};
        db.setDatabaseName(odbcConnectionString(connectionString, wholeViews));
        db.setConnectOptions(options);
        if (!db.open()) return errorOf(db.lastError(), QStringLiteral("Cannot connect through ODBC"));
        *server = db.driver()->dbmsType();
        return {};
    });
    if (!opened) return opened.error();
    // SQL Server reaches the message store by its three-part name; other servers hold it in a
    // schema of the directory database. Which server it is, the server itself says (the
    // driver's DBMS name): the text of the connection string may mention anything.
    if (*server == QSqlDriver::MSSqlServer)
        connection->m_messageStoreMailboxView = QStringLiteral("HalvernMbxDB1.dbo.vw_mailbox");
    return connection;
}

Result<Recordset> DirectoryConnection::select(const QString& sql, const QVariantList& boundValues) {
    return onThread(
        [sql, boundValues](Link& link) -> Result<Recordset> {
            const QSqlDatabase db = link.database();
            Result<Recordset> rows = Error{};
            NativeRead native = boundValues.isEmpty() ? readNatively(db, sql) : NativeRead{};
            if (native.rows) {
                rows = std::move(*native.rows);
            } else if (native.failure.isValid()) {
                rows = failureOf(db, native.failure, sql);
            } else {
                QSqlQuery query(db);
                query.setForwardOnly(true);
                rows = query.prepare(sql) ? execute(db, query, sql, boundValues)
                                          : Result<Recordset>(failureOf(db, query.lastError(), sql));
            }
            // Named by its statement, as start-up shows it.
            if (!rows) {
                Error failure = rows.error();
                failure.message = sql + QStringLiteral(": ") + failure.message;
                return failure;
            }
            return rows;
        },
        sql);
}

Result<Recordset> DirectoryConnection::selectRepeated(const QString& sql, const QVariantList& boundValues) {
    return onThread(
        [sql, boundValues](Link& link) -> Result<Recordset> {
            const QSqlDatabase db = link.database();
            auto prepared = link.prepared.find(sql);
            if (prepared == link.prepared.end()) {
                QSqlQuery query(db);
                query.setForwardOnly(true);
                if (!query.prepare(sql)) return failureOf(db, query.lastError(), sql);
                prepared = link.prepared.insert(sql, std::move(query));
            }
            return execute(db, *prepared, sql, boundValues);
        },
        sql);
}

}  // namespace brindle
