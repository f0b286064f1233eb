#include "host/registry_api.h"

namespace brindle {

namespace {

constexpr int kTypeString = 1;
constexpr int kTypeBinary = 3;
constexpr int kTypeDword = 4;

}  // namespace

bool KeyExists(const RegistryFile& registry, Hive hive, const QString& keyPath) {
    switch (hive) {
        case Hive::LocalMachine:
            return registry.hasKey(keyPath);
    }
    return false;
}

Result<QVariant> QueryRegistryValue(const RegistryFile& registry, Hive hive, const QString& keyPath,
                                    const QString& valueName, int valueType, const QVariant& defaultValue) {
    if (valueType != kTypeString && valueType != kTypeBinary && valueType != kTypeDword) {
        return Error{QStringLiteral("Unsupported value type"), kUnsupportedValueTypeError};
    }
    if (!KeyExists(registry, hive, keyPath)) return defaultValue;
    const auto stored = registry.value(keyPath, valueName);
    if (!stored || stored->type != valueType) return defaultValue;
    // Texts and byte arrays come back whole, however long: the fixed buffers of the registry
    // calls (1024 characters, 4096 bytes) were a limit of the call, not of the host's data.
    return stored->data;
}

}  // namespace brindle
