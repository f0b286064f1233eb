#pragma once

#include <QString>
#include <QStringList>

#include "platform/result.h"

namespace brindle {

// What no export may write over: the error log and the program's lock files, the host's own
// files, and anything inside the host's folders (the stream store of recordings).
struct ProtectedPaths {
    QString logPath;
    QStringList lockFiles = {};
    QStringList hostFiles = {};
    QStringList hostFolders = {};
};

// An Error when `path` cannot name a file: it ends in "/", ".", or "..".
Result<void> checkOutputFileName(const QString& path);

// Whether an export may write `path`: it must name a file (not end in "/"), be absent or a
// regular file (not a folder, device, pipe, socket or symbolic link), and be none of the
// protected files nor inside a protected folder. Files are compared by identity and folders
// as the file system resolves them, so another name for the same place (a relative part, a
// linked folder, a hard link) is caught too. Touches nothing; an Error says what the path is.
Result<void> checkOutputPath(const QString& path, const ProtectedPaths& protectedPaths);

}  // namespace brindle
