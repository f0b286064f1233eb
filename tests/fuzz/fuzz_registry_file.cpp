#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "platform/registry_file.h"

// The parser on any bytes; when they parse, look-ups of the keys the input names on its last
// line (the one most likely to be a key path) must not fail either.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto registry = brindle::RegistryFile::parse(bytes);
    if (!registry) return 0;
    QString path = QString::fromUtf8(bytes.mid(bytes.lastIndexOf('\n') + 1)).trimmed();
    path.remove(QLatin1StringView("HKEY_LOCAL_MACHINE\\"));
    for (const QString& key : {path, QStringLiteral("SOFTWARE"), QString()}) {
        (void)registry->hasKey(key);
        (void)registry->value(key, QString());
        (void)registry->value(key, QStringLiteral("MajorVersion"));
    }
    return 0;
}
