#pragma once

#include "export/directory/directory_lookup.h"

namespace brindle {

class DirectoryConnection;

// Runs one bound statement per look-up, prepared once per view and reused. It asks for the
// rows whose key column holds the value as given, in ASCII capitals or as its idKey, so that
// the database finds them through its index, and keeps those whose idKey matches, as the
// set-based reader does. The two readers differ only where a column that the database
// compares as exact text holds an id in none of those three spellings (mixed capitals, or a
// number's digits with a sign or leading zeros): only the set-based reader finds it.
class QueryLookup final : public DirectoryLookup {
public:
    explicit QueryLookup(DirectoryConnection& connection);

    Result<Recordset> rows(const ViewKey& key, const QVariant& value) override;
    Result<Recordset> mailbox(const QVariant& subscriberId) override;

    // The statement of a look-up; a failure names it as its source, whichever reader failed.
    static QString statementFor(const ViewKey& key);

private:
    Result<Recordset> run(const QString& sql, const QString& keyColumn, const QVariant& value);

    DirectoryConnection& m_connection;
};

}  // namespace brindle
