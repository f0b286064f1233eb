#pragma once

#include "export/directory/directory_lookup.h"

namespace brindle {

class DirectoryConnection;

// Runs one bound statement per look-up, prepared once per view and reused.
class QueryLookup final : public DirectoryLookup {
public:
    explicit QueryLookup(DirectoryConnection& connection);

    Result<Recordset> rows(const ViewKey& key, const QVariant& value) override;
    Result<Recordset> mailbox(const QVariant& subscriberId) override;

    // The statement of a look-up; a failure names it as its source, whichever reader failed.
    static QString statementFor(const ViewKey& key);

private:
    Result<Recordset> run(const QString& sql, const QVariant& value);

    DirectoryConnection& m_connection;
};

}  // namespace brindle
