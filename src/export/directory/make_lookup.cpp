#include "export/directory/make_lookup.h"

#include "export/directory/query_lookup.h"
#include "export/directory/set_lookup.h"

namespace brindle {

bool lookupsRunPerStatement() {
    return qEnvironmentVariable("BRINDLE_LOOKUPS") == QLatin1String("per-statement");
}

std::unique_ptr<DirectoryLookup> makeDirectoryLookup(DirectoryConnection& connection, CachedTables& tables) {
    if (lookupsRunPerStatement()) {
        return std::make_unique<QueryLookup>(connection);
    }
    return std::make_unique<SetLookup>(connection, tables);
}

}  // namespace brindle
