#include "platform/posix_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

namespace brindle {

Descriptor::~Descriptor() {
    if (m_fd >= 0) ::close(m_fd);
}

bool Descriptor::close() {
    const int fd = m_fd;
    m_fd = -1;
    return fd < 0 || ::close(fd) == 0;
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

Result<Descriptor> openFolder(const QString& path) {
    Descriptor folder(::open(QFile::encodeName(path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isOpen()) return Error{qt_error_string(errno)};
    return folder;
}

QString fileKindText(mode_t mode) {
    if (S_ISREG(mode)) return QStringLiteral("a regular file");
    if (S_ISDIR(mode)) return QStringLiteral("a folder");
    if (S_ISLNK(mode)) return QStringLiteral("a symbolic link");
    if (S_ISFIFO(mode)) return QStringLiteral("a named pipe");
    if (S_ISCHR(mode)) return QStringLiteral("a character device");
    if (S_ISBLK(mode)) return QStringLiteral("a block device");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket");
    return QStringLiteral("something other than a file");
}

}  // namespace brindle
