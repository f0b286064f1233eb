#pragma once

#include "startup/run_config.h"

namespace brindle {

// The program's configuration as the environment gives it: HOME, BRINDLE_HOST,
// BRINDLE_DIRECTORY, BRINDLE_LOOKUPS ("per-statement"), BRINDLE_DB_TIMEOUT (seconds, above 0)
// and BRINDLE_TOOLS_SITE; an unset or empty variable keeps the default.
RunConfig runConfigFromEnvironment();

}  // namespace brindle
