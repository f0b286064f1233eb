#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "export/directory/cached_tables.h"
#include "export/directory/directory_connection.h"
#include "host/host_version.h"
#include "platform/host_folder.h"
#include "platform/registry_file.h"
#include "platform/single_instance.h"

namespace brindle {

class DirectoryLookup;
class Localizer;
class Notifier;
struct ExportEnvironment;

// What a good start-up leaves for the window or the command line: the host, its version,
// the open directory with its cached tables, and the subscriber count. Lives until the
// process ends.
struct Session {
    HostFolder host;
    RegistryFile registry;
    HostVersionInfo hostVersion;
    std::unique_ptr<SingleInstance> instance;
    std::unique_ptr<DirectoryConnection> directory;
    CachedTables tables;
    qint64 subscriberCount = 0;

    // Where an export of this host runs: its tables, the given look-ups, the error log of
    // this platform, and the host's own files, which no output may replace.
    ExportEnvironment exportEnvironment(DirectoryLookup& lookup, const Localizer& strings);
};

// Why start-up ended the program. `message` is the text the user is shown (empty for a
// second copy, which ends silently in the window); `detail` says more for a log or a terminal.
struct StartupRefusal {
    enum class Reason {
        NoHome,
        NoHostFolder,
        NoLock,
        SecondCopy,
        HostNotRunning,
        BadRegistry,
        UnsupportedHost,
        NoDatabase
    };
    Reason reason;
    QString message;
    QString detail = {};
};

struct StartupOutcome {
    std::unique_ptr<Session> session;
    std::optional<StartupRefusal> refusal;
};

// The start-up gates in their fixed order: one copy per host, lower priority, host running,
// host generation, directory tables, subscriber count. Shows nothing itself except what the
// host version routines report through `notifier`; the caller decides how a refusal is shown.
StartupOutcome runStartup(const Localizer& strings, Notifier& notifier);

// The fixed text shown when the host is of an older generation (not a resource string).
QString unsupportedHostMessage();

}  // namespace brindle
