#pragma once

#include <sys/stat.h>

#include <QString>

#include "platform/posix_file.h"

namespace brindle {

// A file open to be copied from, and what fstat said of it.
struct CopySource {
    Descriptor file{-1};
    struct stat status = {};
};

// What opening a copy's source gave. The file is opened for reading without waiting on it, should
// it be a named pipe or a device; what it is, is the copy's to judge.
struct OpenedSource {
    enum class Outcome {
        Opened,
        NoSuchFile,  // no file of that name, or a part of the name that is not a folder
        Unresolved,  // beneath a folder only: the name cannot be held there this way
        Failed,      // there may be a file, but it cannot be opened
    };
    Outcome outcome = Outcome::Failed;
    CopySource source;  // when Opened
    QString reason;     // otherwise the system's words for why not
};

// The file at `path`, as it stands (a relative one from the working folder).
OpenedSource openSource(const QString& path);

// The file `relative` names in the folder open as `folder`, when neither ".." nor a symbolic
// link leads out of that folder on the way. Unresolved whenever this cannot tell what the name
// leads to inside the folder, and the caller must resolve it by path: it leads out, passes an
// absolute link, is the folder itself, or the system cannot open a name beneath a folder.
OpenedSource openSourceBeneath(int folder, const QString& relative);

}  // namespace brindle
