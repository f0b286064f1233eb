#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

namespace brindle {

namespace {

Error systemError() {
    return Error{qt_error_string(errno)};
}

int createAt(int folder, const QByteArray& name, mode_t mode) {
    return ::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                    mode);
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

// The rest of `in`, from where it stands, to its end.
bool readAndWrite(int in, int out) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        if (!writeAll(out, buffer, got)) return false;
    }
}

// The kernel copies, and clones where the file system can. Files of /proc and the like say
// they hold nothing and still have bytes to read; a pair of file systems the kernel cannot copy
// between is read and written as well.
bool copyContents(int in, int out, off_t size) {
    if (size == 0) return readAndWrite(in, out);
    while (size > 0) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, size_t(size), 0);
        if (copied < 0 && errno == EINTR) continue;
        if (copied < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP))
            return readAndWrite(in, out);
        if (copied < 0) return false;
        if (copied == 0) break;  // it has shrunk since
        size -= copied;
    }
    return true;
}

}  // namespace

Result<void> copyRegularFile(const CopySource& source, const CopyTarget& target,
                             const std::function<QString()>& sourcePath) {
    const struct stat& sourceStatus = source.status;
    if (!S_ISREG(sourceStatus.st_mode)) {
        return Error{QStringLiteral("%1 is %2, not a regular file")
                         .arg(sourcePath(), fileKindText(sourceStatus.st_mode))};
    }
    // Made anew: only when the name is taken is it looked at, and whatever holds it is removed,
    // never written through, unless it is the source itself.
    const QByteArray name = QFile::encodeName(target.name);
    const mode_t mode = sourceStatus.st_mode & 0777;
    Descriptor out(createAt(target.folder, name, mode));
    if (!out.isOpen() && errno == EEXIST) {
        struct stat existing = {};
        if (::fstatat(target.folder, name.constData(), &existing, AT_SYMLINK_NOFOLLOW) != 0)
            return systemError();
        if (existing.st_dev == sourceStatus.st_dev && existing.st_ino == sourceStatus.st_ino) {
            return Error{QStringLiteral("%1 is the source file itself").arg(target.path)};
        }
        if (::unlinkat(target.folder, name.constData(), 0) != 0) {
            return Error{QStringLiteral("cannot replace %1: %2").arg(target.path, qt_error_string(errno))};
        }
        out = Descriptor(createAt(target.folder, name, mode));
    }
    if (!out.isOpen()) return systemError();
    if (!copyContents(source.file.get(), out.get(), sourceStatus.st_size) || !out.close()) {
        Error error = systemError();
        ::unlinkat(target.folder, name.constData(), 0);
        return error;
    }
    return {};
}

}  // namespace brindle
