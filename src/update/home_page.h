#pragma once

#include <QString>

namespace brindle {

// This tool's page on the tools web site `site` (scheme and host, and port, without a path).
// The update check shows the site in its messages; it finds the download list at the home
// page's scheme and host and the tool's entry by the home page's path, so the host name may
// have any length but the site must stand at the root of its host.
QString homePageAddress(const QString& site);

}  // namespace brindle
