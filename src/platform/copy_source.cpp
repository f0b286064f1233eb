#include "platform/copy_source.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

namespace brindle {

namespace {

constexpr int kSourceFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

OpenedSource failed(OpenedSource::Outcome outcome) {
    return {.outcome = outcome, .source = {}, .reason = qt_error_string(errno)};
}

OpenedSource opened(int fd) {
    OpenedSource result{.outcome = OpenedSource::Outcome::Opened, .source = {Descriptor(fd)}, .reason = {}};
    if (::fstat(fd, &result.source.status) != 0) return failed(OpenedSource::Outcome::Failed);
    return result;
}

bool isNoSuchFile(int error) {
    return error == ENOENT || error == ENOTDIR;
}

}  // namespace

OpenedSource openSource(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), kSourceFlags);
    if (fd < 0)
        return failed(isNoSuchFile(errno) ? OpenedSource::Outcome::NoSuchFile
                                          : OpenedSource::Outcome::Failed);
    return opened(fd);
}

OpenedSource openSourceBeneath(int folder, const QString& relative) {
    open_how how = {};
    how.flags = kSourceFlags;
    how.resolve = RESOLVE_BENEATH;
    // glibc has no wrapper for it. EXDEV: the name leads out, or through an absolute link.
    const long fd = ::syscall(SYS_openat2, folder, QFile::encodeName(relative).constData(), &how, sizeof how);
    if (fd < 0)
        return failed(isNoSuchFile(errno) ? OpenedSource::Outcome::NoSuchFile
                                          : OpenedSource::Outcome::Unresolved);
    OpenedSource result = opened(int(fd));
    if (result.outcome != OpenedSource::Outcome::Opened) return result;
    // "sub/.." is the folder itself, which the name is held to stay below.
    struct stat folderStatus = {};
    const struct stat& status = result.source.status;
    if (S_ISDIR(status.st_mode) &&
        (::fstat(folder, &folderStatus) != 0 ||
         (folderStatus.st_dev == status.st_dev && folderStatus.st_ino == status.st_ino))) {
        return {.outcome = OpenedSource::Outcome::Unresolved, .source = {}, .reason = {}};
    }
    return result;
}

}  // namespace brindle
