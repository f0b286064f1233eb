#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "platform/posix_file.h"

namespace brindle {

namespace {

Error systemError() {
    return Error{qt_error_string(errno)};
}

// Writes all of `size` bytes, however the system splits them.
bool writeAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

Result<void> copyRegularFile(const QString& source, const QString& target) {
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);
    Descriptor in(::open(from.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!in.isOpen()) return systemError();
    struct stat sourceStatus = {};
    if (::fstat(in.get(), &sourceStatus) != 0) return systemError();
    if (!S_ISREG(sourceStatus.st_mode)) {
        return Error{
            QStringLiteral("%1 is %2, not a regular file").arg(source, fileKindText(sourceStatus.st_mode))};
    }

    struct stat existing = {};
    if (::lstat(to.constData(), &existing) == 0) {
        if (existing.st_dev == sourceStatus.st_dev && existing.st_ino == sourceStatus.st_ino) {
            return Error{QStringLiteral("%1 is the source file itself").arg(target)};
        }
        if (::unlink(to.constData()) != 0) {
            return Error{QStringLiteral("cannot replace %1: %2").arg(target, qt_error_string(errno))};
        }
    } else if (errno != ENOENT) {
        return systemError();
    }

    Descriptor out(::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                          sourceStatus.st_mode & 0777));
    if (!out.isOpen()) return systemError();
    auto removeTarget = [&to]() -> Result<void> {
        Error error = systemError();
        ::unlink(to.constData());
        return error;
    };
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return removeTarget();
        if (got == 0) break;
        if (!writeAll(out.get(), buffer, got)) return removeTarget();
    }
    if (!out.close()) return removeTarget();
    return {};
}

}  // namespace brindle
