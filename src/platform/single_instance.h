#pragma once

#include <QString>

#include "platform/exclusive_lock.h"

namespace brindle {

// Held for the life of the process so that a second copy working on the same host can see
// the first. The lock file lives in a folder only the user can write (privateLockFolder),
// named after the host folder, so copies for different hosts (test fixtures among them) do
// not refuse each other. A copy that dies leaves a stale lock, which the next copy takes over.
class SingleInstance {
public:
    SingleInstance(const QString& hostFolder, const QString& home);

    // True when this process holds the lock; false when another live copy holds it; an
    // Error when the lock cannot be made.
    Result<bool> acquire() { return m_lock.tryAcquire(); }

    // Where the lock of the copy for `hostFolder` lives.
    static QString lockPath(const QString& hostFolder, const QString& home);

private:
    ExclusiveLock m_lock;
};

}  // namespace brindle
