#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

#include "platform/result.h"

namespace brindle {

// What no export may write over: the error log and the program's lock files, the host's own
// files, and anything inside the host's folders (the stream store of recordings).
struct ProtectedPaths {
    QString logPath;
    QStringList lockFiles = {};
    QStringList hostFiles = {};
    QStringList hostFolders = {};
    QList<std::pair<QString, QString>> runFiles = {};  // the run's other files, each with what it is
};

// An Error when `path` cannot name a file: it ends in "/", ".", or "..".
Result<void> checkOutputFileName(const QString& path, const QString& role = QStringLiteral("output path"));

// Whether an export may write `path`: it must name a file (not end in "/"), be absent or a
// regular file (not a folder, device, pipe, socket or symbolic link), and be none of the
// protected files nor inside a protected folder. Files are compared by identity and folders
// as the file system resolves them, so another name for the same place (a relative part, a
// linked folder, a hard link) is caught too. Touches nothing; an Error says what the path is,
// naming it by its role.
Result<void> checkOutputPath(const QString& path, const ProtectedPaths& protectedPaths,
                             const QString& role = QStringLiteral("output path"));

}  // namespace brindle
