#pragma once

#include <sys/types.h>

#include <QString>
#include <utility>

#include "platform/result.h"

namespace brindle {

// Owns an open file descriptor and closes it when it goes; -1 holds nothing.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    // Closes it now; false, with errno set, when the close reported a failure.
    bool close();

private:
    int m_fd;
};

// The folder at `path` held open (O_PATH), for files to be found and made relative to it
// whatever is renamed above it; an Error with the system's reason when it cannot be.
Result<Descriptor> openFolder(const QString& path);

// What a file of this mode is, for messages: "a folder", "a named pipe", ...
QString fileKindText(mode_t mode);

}  // namespace brindle
