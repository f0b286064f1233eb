#include "platform/exclusive_lock.h"

namespace brindle {

ExclusiveLock::ExclusiveLock(const QString& path) : m_path(path), m_lock(path) {
    // Never stale by age: the age test would take the lock from a long export still running.
    m_lock.setStaleLockTime(0);
}

Result<bool> ExclusiveLock::tryAcquire() {
    if (m_lock.tryLock(0)) return true;
    if (m_lock.error() != QLockFile::LockFailedError) {
        return Error{
            QStringLiteral("cannot make the lock file %1 (its folder is missing or cannot be written)")
                .arg(m_path)};
    }
    // QLockFile trusts the process id in the file and refuses for ever when it cannot read
    // one. Its holder keeps an advisory lock on the file for as long as it lives, and
    // removeStaleLockFile() removes nothing that a live holder still locks, so this takes
    // over exactly the locks that nobody holds.
    return m_lock.removeStaleLockFile() && m_lock.tryLock(0);
}

}  // namespace brindle
