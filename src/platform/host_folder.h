#pragma once

#include <QString>
#include <optional>

#include "platform/result.h"

namespace brindle {

// The folder that stands for the host server machine (BRINDLE_HOST):
// its registry export, its status file and its two databases. Knows where things are; reads
// nothing but the status.
class HostFolder {
public:
    static constexpr int kRunningStatus = 32;
    static constexpr qint64 kMaxStatusBytes = 1024;

    explicit HostFolder(QString path);

    const QString& path() const { return m_path; }
    QString registryPath() const;
    QString statusPath() const;
    QString directoryDatabasePath() const;
    QString messageStorePath() const;

    // The host status number, or nothing when the status file is missing, unreadable or not a
    // number (which means the host is not running). A status that is not a regular file (a
    // pipe, a device, a folder) or is larger than kMaxStatusBytes is an Error naming it: such
    // a host folder is damaged or tampered with, and start-up refuses it.
    Result<std::optional<int>> readStatus() const;

private:
    QString m_path;
};

}  // namespace brindle
