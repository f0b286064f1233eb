#pragma once

#include <QLockFile>
#include <QString>

#include "platform/result.h"

namespace brindle {

// A lock file held by this process from tryAcquire() until it is destroyed. A lock that no
// living process holds is stale and taken over, whatever the file says: an empty or garbled
// file (a crash while it was written, or a planted one) never blocks the next run. Keep it in
// a folder that only its user can write.
class ExclusiveLock {
public:
    explicit ExclusiveLock(const QString& path);

    // True when this process now holds the lock, false while another live process holds it;
    // an Error when the lock file cannot be made at all (its folder missing or not writable).
    Result<bool> tryAcquire();

    QString path() const { return m_path; }

private:
    QString m_path;
    QLockFile m_lock;
};

}  // namespace brindle
