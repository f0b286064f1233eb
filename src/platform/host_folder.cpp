#include "platform/host_folder.h"

#include <QDir>

#include "platform/regular_file.h"

namespace brindle {

HostFolder::HostFolder(QString path) : m_path(QDir(path).absolutePath()) {}

QString HostFolder::registryPath() const {
    return m_path + QStringLiteral("/registry.reg");
}
QString HostFolder::statusPath() const {
    return m_path + QStringLiteral("/status");
}
QString HostFolder::directoryDatabasePath() const {
    return m_path + QStringLiteral("/HalvernDirDB.db");
}
QString HostFolder::messageStorePath() const {
    return m_path + QStringLiteral("/HalvernMbxDB1.db");
}

Result<std::optional<int>> HostFolder::readStatus() const {
    const RegularFileRead file = readRegularFile(statusPath(), kMaxStatusBytes);
    switch (file.outcome) {
        case RegularFileRead::Outcome::Read:
            break;
        case RegularFileRead::Outcome::CannotOpen:
            return std::optional<int>();
        case RegularFileRead::Outcome::NotRegular:
        case RegularFileRead::Outcome::TooLarge:
            return Error{QStringLiteral("Host status file %1 %2.").arg(statusPath(), file.problem)};
    }
    bool ok = false;
    const int status = QString::fromLatin1(file.bytes).trimmed().toInt(&ok);
    if (!ok) return std::optional<int>();
    return std::optional(status);
}

}  // namespace brindle
