#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace brindle {

// Held for the life of the process so that a second copy working on the same host can see
// the first. The lock file lives in the temporary folder, named after the user and the host
// folder, so copies for different hosts (test fixtures among them) do not refuse each other.
// A copy that dies leaves a stale lock, which the next copy takes over.
class SingleInstance {
public:
    explicit SingleInstance(const QString& hostFolder);

    // True when this process holds the lock; false when another live copy holds it.
    bool acquire();

private:
    std::unique_ptr<QLockFile> m_lock;
};

}  // namespace brindle
