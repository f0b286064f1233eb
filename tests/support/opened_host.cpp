#include "support/opened_host.h"

namespace brindle::testing {

Result<std::unique_ptr<OpenedHost>> openHost(const fixture::HostBuilder& host, bool openTables) {
    auto opened = std::make_unique<OpenedHost>();
    if (!opened->folder.isValid()) return Error{QStringLiteral("no temporary folder")};
    auto written = host.write(opened->folder.filePath(QStringLiteral("host")));
    if (!written) return written.error();
    opened->path = written.value();
    auto connection = DirectoryConnection::openSqlite(opened->path + QStringLiteral("/HalvernDirDB.db"),
                                                      opened->path + QStringLiteral("/HalvernMbxDB1.db"));
    if (!connection) return connection.error();
    opened->connection = std::move(connection).value();
    if (openTables) {
        if (auto tables = opened->tables.OpenDirectoryTables(*opened->connection); !tables)
            return tables.error();
    }
    return opened;
}

}  // namespace brindle::testing
