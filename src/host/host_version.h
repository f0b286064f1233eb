#pragma once

#include <QString>
#include <QtGlobal>

#include "platform/registry_file.h"

namespace brindle {

class Notifier;

// The installed host server's generation and version, read once at start-up. Major 0 means
// that no version has been loaded (or that none was found).
struct HostVersionInfo {
    bool NewLayout = false;  // read from the maker-branded key: the current host generation
    qint16 Major = 0;
    qint16 Minor = 0;
    qint16 Release = 0;
    qint16 Build = 0;
    QString VersionText;    // Major.Minor(Release.Build)
    bool NotFound = false;  // neither version key exists
};

// Reads the version from the maker-branded key, else from the first maker's key, else marks
// it NotFound. A failed read is reported through `notifier` and leaves its field at 0; the
// record always comes back, with whatever was read.
HostVersionInfo getVersion(const RegistryFile& registry, Notifier& notifier);

// The host's install folder for `hostVersion`'s generation, as an absolute path; a relative
// path in the registry is taken relative to `hostFolder`. The current generation's path
// always ends in "/"; the older one's is returned without adding one. An Error when no version
// was loaded, the registry cannot be read, or it names no folder.
Result<QString> strGetInstallPath(const HostVersionInfo& hostVersion, const RegistryFile& registry,
                                  const QString& hostFolder);

}  // namespace brindle
