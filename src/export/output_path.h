#pragma once

#include <QString>
#include <QStringList>

#include "platform/result.h"

namespace brindle {

// Whether an export may replace `path`: it must be absent, or a regular file (not a folder,
// device, pipe, socket or symbolic link) that is neither the error log nor one of the host's
// own files. Files are compared by identity, so another name for the same file (a relative
// part, a linked folder, a hard link) is caught too. Touches nothing; an Error says what the
// path is.
Result<void> checkOutputPath(const QString& path, const QString& logPath, const QStringList& hostFiles);

}  // namespace brindle
