#pragma once

#include <unistd.h>

#include <QFileDevice>
#include <QString>
#include <cerrno>
#include <optional>

namespace brindle {

// Runs `write`, one write or flush of `file` that says whether it succeeded, and gives why it
// failed, or nothing. A write cut short by a full disk or a file-size limit leaves the device
// with no reason of its own ("Unknown error"); the system's is still in errno then.
template <typename Write>
std::optional<QString> failureOf(const QFileDevice& file, Write&& write) {
    errno = 0;
    if (write()) return std::nullopt;
    if (errno != 0) return qt_error_string(errno);
    const QString reason = file.errorString();
    return reason.isEmpty() ? QStringLiteral("it was written only in part") : reason;
}

// Writes what `file` still buffers and syncs it to the disk, where some file systems report a
// lost write for the first time; why that failed, or nothing. A file that cannot be synced at
// all (EINVAL: a pipe, some special file systems) counts as synced.
inline std::optional<QString> failureToReachDisk(QFileDevice& file) {
    if (auto failed = failureOf(file, [&] { return file.flush(); })) return failed;
    return failureOf(file, [&] { return ::fsync(file.handle()) == 0 || errno == EINVAL; });
}

}  // namespace brindle
