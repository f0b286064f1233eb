#pragma once

#include <QString>
#include <QVariant>

#include "platform/registry_file.h"
#include "platform/result.h"

namespace brindle {

// The registry hives the host's keys live under.
enum class Hive { LocalMachine };

// The error number a read of an unsupported value type gives the caller.
constexpr int kUnsupportedValueTypeError = 1001;

// True when the key exists under the hive. `keyPath` as the registry takes it: case does not
// matter, and a trailing backslash names the same key.
bool KeyExists(const RegistryFile& registry, Hive hive, const QString& keyPath);

// Reads a value as `valueType`: 1 gives the text (a QString), 3 the bytes (a QByteArray), 4 the
// 32-bit signed number (a qint32). A missing key or value, or a value stored with another type,
// gives `defaultValue`. Any other `valueType` is an Error numbered kUnsupportedValueTypeError.
Result<QVariant> QueryRegistryValue(const RegistryFile& registry, Hive hive, const QString& keyPath,
                                    const QString& valueName, int valueType, const QVariant& defaultValue);

}  // namespace brindle
