#include "export/directory/directory_connection.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include "platform/host_folder.h"

namespace brindle {

namespace {

QString nextConnectionName() {
    static QAtomicInteger<int> counter;
    return QStringLiteral("brindle-directory-%1").arg(counter.fetchAndAddRelaxed(1));
}

constexpr int kConnectTimeout = 15;
constexpr int kRunTimeout = 60;

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

}  // namespace

int DirectoryConnection::timeoutSeconds(int fallback) {
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("BRINDLE_DB_TIMEOUT", &ok);
    return ok && seconds > 0 ? seconds : fallback;
}

Error DirectoryConnection::failureOf(const QSqlError& error, const QString& source) {
    Error failure{error.text(), error.nativeErrorCode().toInt(), source};
    const QSqlDatabase db = database();
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

DirectoryConnection::DirectoryConnection(QString connectionName, QString messageStoreMailboxView)
    : m_connectionName(std::move(connectionName)),
      m_messageStoreMailboxView(std::move(messageStoreMailboxView)) {}

DirectoryConnection::~DirectoryConnection() {
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isValid()) db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase DirectoryConnection::database() const {
    return QSqlDatabase::database(m_connectionName, false);
}

Result<std::unique_ptr<DirectoryConnection>> DirectoryConnection::open(const HostFolder& host) {
    const QString odbc = qEnvironmentVariable("BRINDLE_DIRECTORY");
    if (!odbc.isEmpty()) return openOdbc(odbc);
    return openSqlite(host.directoryDatabasePath(), host.messageStorePath());
}

Result<std::unique_ptr<DirectoryConnection>> DirectoryConnection::openSqlite(
    const QString& directoryPath, const QString& messageStorePath) {
    // Read-only also keeps SQLite from creating an empty database where none exists.
    if (!QFileInfo(directoryPath).isFile()) {
        return Error{QStringLiteral("The directory database %1 does not exist.").arg(directoryPath)};
    }
    const QString name = nextConnectionName();
    std::unique_ptr<DirectoryConnection> connection(
        new DirectoryConnection(name, QStringLiteral("HalvernMbxDB1.vw_mailbox")));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(directoryPath);
    // The busy wait is how long a run waits for a writer that holds the database locked.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1")
                             .arg(timeoutSeconds(kRunTimeout) * 1000));
    if (!db.open()) return errorOf(db.lastError(), QStringLiteral("Cannot open %1").arg(directoryPath));

    // A missing message store is not a start-up failure: only the mailbox columns need it,
    // and they report it subscriber by subscriber.
    if (QFileInfo(messageStorePath).isFile()) {
        QSqlQuery attach(db);
        attach.prepare(QStringLiteral("ATTACH DATABASE ? AS HalvernMbxDB1"));
        attach.addBindValue(messageStorePath);
        attach.exec();
    }
    return connection;
}

Result<std::unique_ptr<DirectoryConnection>> DirectoryConnection::openOdbc(const QString& connectionString) {
    // SQL Server reaches the message store by its three-part name; other servers hold it
    // in a schema of the directory database.
    const bool sqlServer = connectionString.contains(QStringLiteral("SQL Server"), Qt::CaseInsensitive);
    const QString name = nextConnectionName();
    std::unique_ptr<DirectoryConnection> connection(
        new DirectoryConnection(name, sqlServer ? QStringLiteral("HalvernMbxDB1.dbo.vw_mailbox")
                                                : QStringLiteral("HalvernMbxDB1.vw_mailbox")));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
    if (!db.isValid()) return Error{QStringLiteral("The ODBC database driver is not available.")};
    db.setDatabaseName(connectionString);
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%2")
                             .arg(timeoutSeconds(kConnectTimeout))
                             .arg(timeoutSeconds(kRunTimeout)));
    if (!db.open()) return errorOf(db.lastError(), QStringLiteral("Cannot connect through ODBC"));
    return connection;
}

Result<Recordset> DirectoryConnection::select(const QString& sql, const QVariantList& boundValues) {
    QSqlQuery query(database());
    query.setForwardOnly(true);
    // Named by its statement, as start-up shows it.
    const auto failed = [&] {
        Error failure = failureOf(query.lastError(), sql);
        failure.message = sql + QStringLiteral(": ") + failure.message;
        return failure;
    };
    if (!query.prepare(sql)) return failed();
    for (const QVariant& value : boundValues) query.addBindValue(value);
    if (!query.exec()) return failed();
    auto rows = Recordset::fetchAll(query);
    if (!rows) return failed();
    return rows;
}

}  // namespace brindle
