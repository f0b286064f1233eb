#pragma once

#include <QString>
#include <climits>
#include <memory>
#include <optional>

#include "export/directory/cached_tables.h"
#include "export/directory/directory_connection.h"
#include "host/host_version.h"
#include "platform/host_folder.h"
#include "platform/registry_file.h"
#include "platform/single_instance.h"
#include "startup/run_config.h"

namespace brindle {

class Localizer;
class Notifier;
class RunObserver;
struct ExportOptions;
struct ExportSummary;

// What a good start-up leaves for the window or the command line: the configuration, the
// host, its version, the open directory with its cached tables, and the subscriber count.
// Lives until the process ends.
struct Session {
    RunConfig config;
    const Localizer& strings;  // the program's, whatever language they speak at the time
    HostFolder host;
    RegistryFile registry;
    HostVersionInfo hostVersion;
    std::unique_ptr<SingleInstance> instance;
    std::unique_ptr<DirectoryConnection> directory;
    CachedTables tables;
    qint64 subscriberCount = 0;

    // The one way to run an export of this host: the configured look-ups over its tables,
    // the error log in the home folder, the host's own files protected from the output, the
    // progress counted up to the subscriber count. Messages of the run go to `notifier` as
    // well as the log when there is one (the window's message boxes).
    Result<ExportSummary> runExport(const ExportOptions& options, RunObserver& observer,
                                    Notifier* notifier = nullptr);

    // Reads the subscriber table again and counts it anew.
    Result<qint64> recountSubscribers();

    // The subscriber count as far as a progress display can count (an int).
    int progressMaximum() const { return static_cast<int>(qMin<qint64>(subscriberCount, INT_MAX)); }
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
StartupOutcome runStartup(const RunConfig& config, const Localizer& strings, Notifier& notifier);

// The fixed text shown when the host is of an older generation (not a resource string).
QString unsupportedHostMessage();

}  // namespace brindle
