#pragma once

#include <QString>
#include <QVariantList>
#include <chrono>
#include <functional>
#include <memory>

#include "export/directory/directory_thread.h"
#include "export/directory/recordset.h"
#include "platform/result.h"

namespace brindle {

// How long to wait for the directory, in seconds.
struct DirectoryTimeouts {
    int connectSeconds = 15;
    int statementSeconds = 60;  // also how long SQLite waits for a writer holding a lock

    static DirectoryTimeouts allOf(int seconds) { return {seconds, seconds}; }
};

// The one connection to the host's directory database: the host folder's SQLite database,
// opened read-only, with the message store attached as HalvernMbxDB1, or an ODBC connection
// string (any ODBC driver). Every statement is a fixed text with ? placeholders; values only
// ever arrive bound.
//
// The connection lives on a DirectoryThread. A statement that gives no sign of life for its
// time-out (and a little more, so that a driver's own time-out speaks first) is abandoned with
// a fatal Error, as is one a wait scope stops; the connection then refuses every later
// statement with the same Error.
class DirectoryConnection {
public:
    ~DirectoryConnection();
    DirectoryConnection(const DirectoryConnection&) = delete;
    DirectoryConnection& operator=(const DirectoryConnection&) = delete;

    static Result<std::unique_ptr<DirectoryConnection>> openSqlite(const QString& directoryPath,
                                                                   const QString& messageStorePath,
                                                                   DirectoryTimeouts timeouts = {});
    static Result<std::unique_ptr<DirectoryConnection>> openOdbc(const QString& connectionString,
                                                                 bool wholeViews = true,
                                                                 DirectoryTimeouts timeouts = {});

    // Runs one statement and fetches all its rows.
    Result<Recordset> select(const QString& sql, const QVariantList& boundValues = {});

    // The same for a statement run over and over with other values: prepared once, kept.
    Result<Recordset> selectRepeated(const QString& sql, const QVariantList& boundValues);

    // The connection string as given, with settings added for drivers that need them. For
    // `wholeViews` (the set-based reader's statements) the PostgreSQL driver fetches rows in
    // blocks (kOdbcRowsPerFetch) instead of holding a whole view on the client, which would double a
    // run's memory; small results are faster without the cursor this costs. A string that
    // sets UseDeclareFetch itself is left as it is.
    static QString odbcConnectionString(const QString& given, bool wholeViews);

    // How the message store's mailbox view is named from this connection.
    const QString& messageStoreMailboxView() const { return m_messageStoreMailboxView; }

private:
    struct Link;
    using Work = std::function<Result<Recordset>(Link&)>;

    DirectoryConnection(QString messageStoreMailboxView, DirectoryTimeouts timeouts);
    Result<void> connect(std::function<Result<void>(Link&)> open);
    Result<Recordset> onThread(Work work, const QString& sql);

    std::shared_ptr<Link> m_link;
    DirectoryThread m_thread;
    QString m_messageStoreMailboxView;
    DirectoryTimeouts m_timeouts;
};

}  // namespace brindle
