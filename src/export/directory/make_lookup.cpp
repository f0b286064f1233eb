#include "export/directory/make_lookup.h"

#include "export/directory/query_lookup.h"
#include "export/directory/set_lookup.h"

namespace brindle {

std::unique_ptr<DirectoryLookup> makeDirectoryLookup(DirectoryConnection& connection, CachedTables& tables,
                                                     LookupReader reader) {
    if (reader == LookupReader::PerStatement) return std::make_unique<QueryLookup>(connection);
    return std::make_unique<SetLookup>(connection, tables);
}

}  // namespace brindle
