#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace brindle::testing {

// Writes `bytes` as the whole file at `path`; false when any of it could not be written.
inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace brindle::testing
