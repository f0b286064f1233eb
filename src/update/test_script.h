#pragma once

#include <QString>

namespace brindle {

// The start-up hook: when test.sh stands in the program's folder, starts it with /bin/sh and
// the arguments: this tool's version, the home-page address and, when it has two characters
// or more, the tool name. Does not wait; a missing script or a failed start is ignored.
void LaunchTestScript(const QString& address, const QString& name);

}  // namespace brindle
