#pragma once

#include <optional>

#include "export/directory/recordset.h"
#include "platform/result.h"

namespace brindle {

class DirectoryConnection;

// The four tables read once at start-up and kept for the life of the process: call handlers,
// subscribers and classes of service (indexed on ObjectID, so that positioning on a
// subscriber's rows costs no scan), and extensions (read only so that a directory without it
// fails the start-up). Rows added to the database later are not seen.
class CachedTables {
public:
    // Opens every table not open yet, in a fixed order. On any failure every table is closed
    // again and the failure is returned. Opening twice succeeds and keeps the tables.
    Result<void> OpenDirectoryTables(DirectoryConnection& connection);
    void CloseDirectoryTables();

    // Reads the subscriber table again, with what the directory holds now. On a failure the
    // table read before stays.
    Result<void> reopenSubscribers(DirectoryConnection& connection);

    bool isOpen() const;

    // Only valid while open.
    Recordset& callHandlers() { return *m_callHandlers; }
    Recordset& subscribers() { return *m_subscribers; }
    Recordset& classesOfService() { return *m_classesOfService; }
    Recordset& extensions() { return *m_extensions; }

private:
    std::optional<Recordset> m_callHandlers;
    std::optional<Recordset> m_subscribers;
    std::optional<Recordset> m_classesOfService;
    std::optional<Recordset> m_extensions;
};

}  // namespace brindle
