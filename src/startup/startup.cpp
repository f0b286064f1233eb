#include "startup/startup.h"

#include <QFileInfo>

#include "export/directory/make_lookup.h"
#include "export/export_run.h"
#include "localize/localizer.h"
#include "localize/string_ids.h"
#include "platform/fixed_paths.h"
#include "platform/notifier.h"
#include "platform/process_priority.h"

namespace brindle {

namespace {

Result<RegistryFile> loadRegistry(const HostFolder& host) {
    // A host without a registry export has no version keys, which the generation gate refuses.
    if (!QFileInfo::exists(host.registryPath())) return RegistryFile();
    return RegistryFile::load(host.registryPath());
}

}  // namespace

Result<ExportSummary> Session::runExport(const ExportOptions& options, RunObserver& observer,
                                         Notifier* notifier) {
    const QStringList hostFiles{host.registryPath(), host.statusPath(), host.directoryDatabasePath(),
                                host.messageStorePath()};
    auto installPath = [this] { return strGetInstallPath(hostVersion, registry, host.path()); };
    const auto lookup = makeDirectoryLookup(*directory, tables, config.reader);
    ExportEnvironment environment{tables,        *lookup,   strings,    errorLogPath(config.homeFolder),
                                  programName(), hostFiles, installPath};
    environment.notifier = notifier;
    environment.lockFiles = {SingleInstance::lockPath(host.path(), config.homeFolder)};
    environment.progressMaximum = progressMaximum();
    return ExportRun(std::move(environment), options).run(observer);
}

Result<qint64> Session::recountSubscribers() {
    if (auto reopened = tables.reopenSubscribers(*directory); !reopened) return reopened.error();
    subscriberCount = tables.subscribers().RecordCount();
    return subscriberCount;
}

QString unsupportedHostMessage() {
    return QStringLiteral("This version of Brindle only works with Kestrom Pellinor 1.1 and later.");
}

StartupOutcome runStartup(const RunConfig& config, const Localizer& strings, Notifier& notifier) {
    using Reason = StartupRefusal::Reason;
    auto refuse = [](Reason reason, QString message, QString detail = {}) {
        return StartupOutcome{nullptr, StartupRefusal{reason, std::move(message), std::move(detail)}};
    };

    if (auto home = checkHomeFolder(config.homeFolder); !home)
        return refuse(Reason::NoHome, home.error().message);
    if (config.hostFolder.isEmpty()) {
        return refuse(Reason::NoHostFolder,
                      QStringLiteral("BRINDLE_HOST is not set: it must name the host folder "
                                     "(registry.reg, status, HalvernDirDB.db)."));
    }
    const HostFolder host(config.hostFolder);

    auto instance = std::make_unique<SingleInstance>(host.path(), config.homeFolder);
    const Result<bool> acquired = instance->acquire();
    if (!acquired) return refuse(Reason::NoLock, acquired.error().message);
    if (!*acquired) {
        return refuse(Reason::SecondCopy, {},
                      QStringLiteral("Another copy of Brindle is already running for %1.").arg(host.path()));
    }

    // Below normal, so that an export never slows the host's own services.
    SetProcessPriority(kBelowNormalPriorityClass);

    const auto status = host.readStatus();
    if (!status) return refuse(Reason::HostNotRunning, status.error().message);
    if (*status != HostFolder::kRunningStatus) {
        return refuse(Reason::HostNotRunning, strings.myLoadResString(string_id::kHostMustRun),
                      QStringLiteral("The host status in %1 is not %2.")
                          .arg(host.statusPath())
                          .arg(HostFolder::kRunningStatus));
    }

    auto registry = loadRegistry(host);
    if (!registry) return refuse(Reason::BadRegistry, registry.error().message);

    auto session = std::make_unique<Session>(
        Session{config, strings, host, std::move(registry).value(), {}, std::move(instance), {}, {}});
    session->hostVersion = getVersion(session->registry, notifier);
    if (!session->hostVersion.NewLayout) {
        return refuse(Reason::UnsupportedHost, unsupportedHostMessage(),
                      QStringLiteral("Host version found: %1.").arg(session->hostVersion.VersionText));
    }

    const DirectoryTimeouts timeouts = config.directoryTimeoutSeconds
                                           ? DirectoryTimeouts::allOf(*config.directoryTimeoutSeconds)
                                           : DirectoryTimeouts{};
    auto directory =
        config.directoryConnection.isEmpty()
            ? DirectoryConnection::openSqlite(host.directoryDatabasePath(), host.messageStorePath(), timeouts)
            : DirectoryConnection::openOdbc(config.directoryConnection,
                                            config.reader == LookupReader::SetBased, timeouts);
    if (!directory) {
        return refuse(Reason::NoDatabase, strings.myLoadResString(string_id::kCannotOpenDatabase),
                      directory.error().message);
    }
    session->directory = std::move(directory).value();
    if (auto opened = session->tables.OpenDirectoryTables(*session->directory); !opened) {
        return refuse(Reason::NoDatabase, strings.myLoadResString(string_id::kCannotOpenDatabase),
                      opened.error().message);
    }

    auto count = session->directory->select(QStringLiteral("SELECT COUNT(*) FROM vw_Subscriber"));
    if (!count || count->RecordCount() != 1) {
        return refuse(
            Reason::NoDatabase, strings.myLoadResString(string_id::kCannotOpenDatabase),
            count ? QStringLiteral("The subscriber count could not be read.") : count.error().message);
    }
    const auto total = count->value(count->fieldNames().value(0));
    if (!total)
        return refuse(Reason::NoDatabase, strings.myLoadResString(string_id::kCannotOpenDatabase),
                      total.error().message);
    session->subscriberCount = total->toLongLong();
    return StartupOutcome{std::move(session), std::nullopt};
}

}  // namespace brindle
