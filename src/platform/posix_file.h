#pragma once

#include <sys/types.h>

#include <QString>

namespace brindle {

// Owns an open file descriptor and closes it when it goes; -1 holds nothing.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    // Closes it now; false, with errno set, when the close reported a failure.
    bool close();

private:
    int m_fd;
};

// What a file of this mode is, for messages: "a folder", "a named pipe", ...
QString fileKindText(mode_t mode);

}  // namespace brindle
