#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariantList>
#include <memory>

#include "export/directory/recordset.h"
#include "platform/result.h"

namespace brindle {

class HostFolder;

// The one connection to the host's directory database. By default the host folder's SQLite
// database, opened read-only, with the message store attached as HalvernMbxDB1; when
// BRINDLE_DIRECTORY is set, that ODBC connection string instead (any ODBC driver).
// Every statement is a fixed text with ? placeholders; values only ever arrive bound.
class DirectoryConnection {
public:
    ~DirectoryConnection();
    DirectoryConnection(const DirectoryConnection&) = delete;
    DirectoryConnection& operator=(const DirectoryConnection&) = delete;

    // Opens what BRINDLE_DIRECTORY names, or else the host folder's databases.
    static Result<std::unique_ptr<DirectoryConnection>> open(const HostFolder& host);
    static Result<std::unique_ptr<DirectoryConnection>> openSqlite(const QString& directoryPath,
                                                                   const QString& messageStorePath);
    static Result<std::unique_ptr<DirectoryConnection>> openOdbc(const QString& connectionString);

    // Runs one statement and fetches all its rows.
    Result<Recordset> select(const QString& sql, const QVariantList& boundValues = {});

    // A failed statement as an Error naming `source`. Marked fatal when the directory itself
    // failed rather than the statement: the connection is lost (a trivial statement fails
    // too), the database is locked past its wait, damaged or gone.
    Error failureOf(const QSqlError& error, const QString& source);

    // How long to wait for the directory, in seconds: BRINDLE_DB_TIMEOUT when set, else
    // `fallback` (15 to connect, 60 for a run's statements).
    static int timeoutSeconds(int fallback);

    // How the message store's mailbox view is named from this connection.
    const QString& messageStoreMailboxView() const { return m_messageStoreMailboxView; }

    QSqlDatabase database() const;

private:
    DirectoryConnection(QString connectionName, QString messageStoreMailboxView);

    QString m_connectionName;
    QString m_messageStoreMailboxView;
};

}  // namespace brindle
