#pragma once

#include <memory>

#include "export/directory/directory_lookup.h"

namespace brindle {

class CachedTables;
class DirectoryConnection;

// The look-ups of one run: the set-based reader, or, with BRINDLE_LOOKUPS=per-statement, one
// bound statement per look-up (slower, kept to check the other against).
std::unique_ptr<DirectoryLookup> makeDirectoryLookup(DirectoryConnection& connection, CachedTables& tables);

// Whether BRINDLE_LOOKUPS asks for one statement per look-up.
bool lookupsRunPerStatement();

}  // namespace brindle
