#include "export/output_path.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/posix_file.h"

namespace brindle {

namespace {

std::optional<struct stat> statOf(const QString& path, bool followLinks) {
    struct stat status = {};
    const QByteArray native = QFile::encodeName(path);
    const int result =
        followLinks ? ::stat(native.constData(), &status) : ::lstat(native.constData(), &status);
    if (result != 0) return std::nullopt;
    return status;
}

// A path as the file system resolves it, also for a file that does not exist yet.
QString resolved(const QString& path) {
    const QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}

bool sameFile(const QString& a, const QString& b) {
    const auto statusA = statOf(a, true);
    const auto statusB = statOf(b, true);
    if (statusA && statusB) return statusA->st_dev == statusB->st_dev && statusA->st_ino == statusB->st_ino;
    return resolved(a) == resolved(b);
}

// Whether `path` is `folder` or lies inside it, once both are resolved.
bool isInside(const QString& path, const QString& folder) {
    const QString resolvedFolder = QFileInfo(folder).canonicalFilePath();
    if (resolvedFolder.isEmpty()) return false;
    const QString resolvedPath = resolved(path);
    return resolvedPath == resolvedFolder || resolvedPath.startsWith(resolvedFolder + QLatin1Char('/'));
}

}  // namespace

Result<void> checkOutputFileName(const QString& path, const QString& role) {
    const QString name = QFileInfo(path).fileName();
    if (path.endsWith(QLatin1Char('/')) || name.isEmpty() || name == QLatin1String(".") ||
        name == QLatin1String("..")) {
        return Error{
            QStringLiteral("the %1 %2 names a folder, not a file; nothing was written").arg(role, path)};
    }
    return {};
}

Result<void> checkOutputPath(const QString& path, const ProtectedPaths& protectedPaths, const QString& role) {
    if (auto named = checkOutputFileName(path, role); !named) return named;
    const QString named = QStringLiteral("the %1 %2").arg(role, path);
    if (const auto status = statOf(path, false)) {
        if (!S_ISREG(status->st_mode)) {
            return Error{QStringLiteral("%1 is %2, not a regular file; nothing was written")
                             .arg(named, fileKindText(status->st_mode))};
        }
    } else if (errno != ENOENT) {
        return Error{
            QStringLiteral("cannot examine %1: %2").arg(named, QString::fromLocal8Bit(std::strerror(errno)))};
    }
    if (sameFile(path, protectedPaths.logPath)) {
        return Error{QStringLiteral("%1 is the error log; nothing was written").arg(named)};
    }
    for (const QString& lockFile : protectedPaths.lockFiles) {
        if (sameFile(path, lockFile)) {
            return Error{QStringLiteral("%1 is the lock file of a run; nothing was written").arg(named)};
        }
    }
    for (const QString& hostFile : protectedPaths.hostFiles) {
        if (sameFile(path, hostFile)) {
            return Error{
                QStringLiteral("%1 is the host's own file %2; nothing was written").arg(named, hostFile)};
        }
    }
    for (const QString& hostFolder : protectedPaths.hostFolders) {
        if (isInside(path, hostFolder)) {
            return Error{QStringLiteral("%1 is inside the host's own folder %2; nothing was written")
                             .arg(named, hostFolder)};
        }
    }
    for (const auto& [runFile, what] : protectedPaths.runFiles) {
        if (sameFile(path, runFile))
            return Error{QStringLiteral("%1 is %2 too; nothing was written").arg(named, what)};
    }
    return {};
}

}  // namespace brindle
