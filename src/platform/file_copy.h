#pragma once

#include <QString>

#include "platform/result.h"

namespace brindle {

// Copies the regular file `source` to `target`, replacing a file of that name, and never
// makes the copy more readable than the source: it gets at most the source's permission bits.
// A source that is not a regular file (a pipe, a device, a folder) is refused without waiting
// on it; a target that is another name of the source itself is refused and left as it is. The
// target is made anew without following a link put in its place, and a copy that fails (a full
// disk, say) removes what it made. Written in place rather than through a temporary file and a
// rename: a run makes a copy or two per subscriber.
Result<void> copyRegularFile(const QString& source, const QString& target);

}  // namespace brindle
