#include "platform/single_instance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>

namespace brindle {

namespace {

QString lockPathFor(const QString& hostFolder) {
    const QByteArray key =
        QCryptographicHash::hash(QDir(hostFolder).canonicalPath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("brindle-%1-%2.lock").arg(getuid()).arg(QString::fromLatin1(key)));
}

}  // namespace

SingleInstance::SingleInstance(const QString& hostFolder)
    : m_lock(std::make_unique<QLockFile>(lockPathFor(hostFolder))) {
    // A lock is never stale while its process lives; the age test would only take a lock from
    // a long export that is still running.
    m_lock->setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    return m_lock->tryLock(0);
}

}  // namespace brindle
