#pragma once

#include <QString>
#include <functional>

#include "platform/copy_source.h"
#include "platform/result.h"

namespace brindle {

// Where a copy goes: `name` in the folder open as `folder`, and its whole path for messages.
struct CopyTarget {
    int folder = -1;
    QString name;
    QString path;
};

// Copies the open file `source` to the target, replacing a file of that name, and never makes
// the copy more readable than the source: it gets at most the source's permission bits. A
// source that is not a regular file (a pipe, a device, a folder) is refused; a target that is
// another name of the source itself is refused and left as it is. The target is made anew
// without following a link put in its place, and a copy that fails (a full disk, say) removes
// what it made. Written in place rather than through a temporary file and a rename: a run makes
// a copy or two per subscriber. `sourcePath` names the source in a message, and is asked for
// only when one is made.
Result<void> copyRegularFile(const CopySource& source, const CopyTarget& target,
                             const std::function<QString()>& sourcePath);

}  // namespace brindle
