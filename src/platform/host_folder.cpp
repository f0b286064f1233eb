#include "platform/host_folder.h"

#include <QDir>
#include <QFile>

namespace brindle {

HostFolder::HostFolder(QString path) : m_path(QDir(path).absolutePath()) {}

Result<HostFolder> HostFolder::fromEnvironment() {
    const QString path = qEnvironmentVariable("BRINDLE_HOST");
    if (path.isEmpty()) {
        return Error{
            QStringLiteral("BRINDLE_HOST is not set: it must name the host folder "
                           "(registry.reg, status, HalvernDirDB.db).")};
    }
    return HostFolder(path);
}

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

std::optional<int> HostFolder::readStatus() const {
    QFile file(statusPath());
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    bool ok = false;
    const int status = QString::fromLatin1(file.read(64)).trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
    return status;
}

}  // namespace brindle
