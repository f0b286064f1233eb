#pragma once

#include <memory>

#include "export/directory/directory_lookup.h"

namespace brindle {

class CachedTables;
class DirectoryConnection;

// Which reader answers the producers' look-ups: every view read once per run (the default),
// or one bound statement per look-up (slower, kept to check the other against). Both give the
// same export.
enum class LookupReader { SetBased, PerStatement };

// The look-ups of one run.
std::unique_ptr<DirectoryLookup> makeDirectoryLookup(DirectoryConnection& connection, CachedTables& tables,
                                                     LookupReader reader);

}  // namespace brindle
