#pragma once

#include <QTemporaryDir>
#include <memory>

#include "export/directory/cached_tables.h"
#include "export/directory/directory_connection.h"
#include "hostbuilder/host_builder.h"
#include "platform/result.h"

namespace brindle::testing {

// A fixture host written into a throwaway folder, its databases open as start-up opens them.
struct OpenedHost {
    QTemporaryDir folder;
    QString path;  // the host folder
    std::unique_ptr<DirectoryConnection> connection;
    CachedTables tables;  // open only when asked for
};

// Writes the host and opens its databases; with `openTables`, the run's tables as well.
Result<std::unique_ptr<OpenedHost>> openHost(const fixture::HostBuilder& host, bool openTables = true);

}  // namespace brindle::testing
