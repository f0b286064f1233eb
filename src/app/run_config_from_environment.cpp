#include "app/run_config_from_environment.h"

namespace brindle {

RunConfig runConfigFromEnvironment() {
    RunConfig config;
    config.homeFolder = qEnvironmentVariable("HOME");
    config.hostFolder = qEnvironmentVariable("BRINDLE_HOST");
    config.directoryConnection = qEnvironmentVariable("BRINDLE_DIRECTORY");
    if (qEnvironmentVariable("BRINDLE_LOOKUPS") == QLatin1String("per-statement"))
        config.reader = LookupReader::PerStatement;
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("BRINDLE_DB_TIMEOUT", &ok);
    if (ok && seconds > 0) config.directoryTimeoutSeconds = seconds;
    if (const QString site = qEnvironmentVariable("BRINDLE_TOOLS_SITE"); !site.isEmpty())
        config.toolsSite = site;
    return config;
}

}  // namespace brindle
