#pragma once

#include <QString>

namespace brindle {

// The tools web site's base address, scheme and host (and port) without a path, or
// BRINDLE_TOOLS_SITE when set. The update check shows it in its messages; it finds the
// download list at the home page's scheme and host and the tool's entry by the home page's
// path, so the host name may have any length but the site must stand at the root of its host.
QString toolsSiteAddress();

// This tool's page on the tools web site.
QString homePageAddress();

}  // namespace brindle
