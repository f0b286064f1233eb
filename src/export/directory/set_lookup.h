#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "export/directory/directory_lookup.h"

namespace brindle {

class CachedTables;
class DirectoryConnection;

// Reads each view once per run, in one statement, the first time a look-up needs it, and
// serves every look-up of the run from memory: the rows of a key in the order the database
// returned them, as the per-statement reader gives them. The views start-up already holds
// (subscribers, call handlers, extensions) are not read again, and the mailbox figures come
// from one join for the run. A view that cannot be read gives its failure to every look-up
// of it. Lives for one run; the views go with it.
class SetLookup final : public DirectoryLookup {
public:
    SetLookup(DirectoryConnection& connection, CachedTables& tables);

    Result<Recordset> rows(const ViewKey& key, const QVariant& value) override;
    Result<Recordset> mailbox(const QVariant& subscriberId) override;

private:
    using View = Result<Recordset::Groups>;
    View read(const ViewKey& key);

    DirectoryConnection& m_connection;
    CachedTables& m_tables;
    // Few and asked for over and over: a short list compared by name beats building a key.
    std::vector<std::pair<ViewKey, View>> m_views;
    std::optional<View> m_mailboxes;
};

}  // namespace brindle
