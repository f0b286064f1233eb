#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QDir>

#include "platform/fixed_paths.h"

namespace brindle {

QString SingleInstance::lockPath(const QString& hostFolder, const QString& home) {
    const QByteArray key =
        QCryptographicHash::hash(QDir(hostFolder).canonicalPath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return QDir(privateLockFolder(home))
        .filePath(QStringLiteral(".brindle-%1.lock").arg(QString::fromLatin1(key)));
}

SingleInstance::SingleInstance(const QString& hostFolder, const QString& home)
    : m_lock(lockPath(hostFolder, home)) {}

}  // namespace brindle
