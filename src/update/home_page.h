#pragma once

#include <QString>

namespace brindle {

// The tools web site's base address ("http://" and its host, 30 characters, which the
// update check relies on), or BRINDLE_TOOLS_SITE when set.
QString toolsSiteAddress();

// This tool's page on the tools web site.
QString homePageAddress();

}  // namespace brindle
