#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <optional>

#include "platform/posix_file.h"

namespace brindle {

namespace {

// "64 MiB", "1 KiB" or "100 bytes", for messages.
QString sizeText(qint64 bytes) {
    constexpr qint64 kKiB = 1024;
    constexpr qint64 kMiB = 1024 * kKiB;
    if (bytes >= kMiB && bytes % kMiB == 0) return QStringLiteral("%1 MiB").arg(bytes / kMiB);
    if (bytes >= kKiB && bytes % kKiB == 0) return QStringLiteral("%1 KiB").arg(bytes / kKiB);
    return QStringLiteral("%1 bytes").arg(bytes);
}

RegularFileRead failure(RegularFileRead::Outcome outcome, QString problem) {
    return {outcome, {}, std::move(problem)};
}

RegularFileRead cannotOpen(int error, const char* verb = "opened") {
    return failure(
        RegularFileRead::Outcome::CannotOpen,
        QStringLiteral("could not be %1: %2").arg(QLatin1StringView(verb), qt_error_string(error)));
}

// Whether `status` is a regular file within the bound; the refusal when not.
std::optional<RegularFileRead> refusal(const struct stat& status, qint64 maxBytes, bool throughLink) {
    if (!S_ISREG(status.st_mode)) {
        const QString kind = fileKindText(status.st_mode);
        return failure(RegularFileRead::Outcome::NotRegular,
                       throughLink ? QStringLiteral("is a symbolic link to %1, not a regular file").arg(kind)
                                   : QStringLiteral("is %1, not a regular file").arg(kind));
    }
    if (status.st_size > maxBytes) {
        return failure(
            RegularFileRead::Outcome::TooLarge,
            QStringLiteral("is larger than %1 (%2 bytes)").arg(sizeText(maxBytes)).arg(status.st_size));
    }
    return std::nullopt;
}

}  // namespace

RegularFileRead readRegularFile(const QString& path, qint64 maxBytes) {
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    if (::lstat(name.constData(), &status) != 0) return cannotOpen(errno);
    const bool link = S_ISLNK(status.st_mode);
    if (link && ::stat(name.constData(), &status) != 0) return cannotOpen(errno);
    if (auto refused = refusal(status, maxBytes, link)) return *refused;

    // O_NONBLOCK: should a pipe have taken the file's place since, opening it does not wait.
    const Descriptor file(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.get() < 0) return cannotOpen(errno);
    if (::fstat(file.get(), &status) != 0) return cannotOpen(errno);
    if (auto refused = refusal(status, maxBytes, link)) return *refused;

    QByteArray bytes(qsizetype(status.st_size) + 1, Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size()) {
            if (size > maxBytes) break;
            bytes.resize(std::min<qint64>(maxBytes + 1, 2 * qint64(size)));
        }
        const ssize_t got = ::read(file.get(), bytes.data() + size, size_t(bytes.size() - size));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return cannotOpen(errno, "read");
        if (got == 0) break;
        size += got;
    }
    // The file grew after fstat.
    if (size > maxBytes) {
        return failure(RegularFileRead::Outcome::TooLarge,
                       QStringLiteral("is larger than %1").arg(sizeText(maxBytes)));
    }
    bytes.resize(size);
    return {RegularFileRead::Outcome::Read, std::move(bytes), {}};
}

}  // namespace brindle
