#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>
#include <optional>

#include "platform/result.h"

namespace brindle {

// One registry value: its registry type number (1 string, 2 expandable string, 3 binary,
// 4 32-bit number, 7 multi-string, 11 64-bit number, ...) and its data: a QString for 1 and 2,
// a qint32 for 4, the raw bytes as a QByteArray for every other type.
struct RegistryValue {
    int type = 0;
    QVariant data;
};

// The host's registry under HKEY_LOCAL_MACHINE, read from a registry export in the standard
// text format ("REGEDIT4" or "Windows Registry Editor Version 5.00", UTF-8 or UTF-16 with BOM).
// Key paths and value names compare without regard to case, as in the registry; a key that is
// only the ancestor of a written key exists too. Read-only once loaded.
class RegistryFile {
public:
    // A registry without any key: stands for a host that has no registry export.
    RegistryFile() = default;
    static RegistryFile empty() { return RegistryFile(); }

    // Reads and parses the export at `path`. An unreadable file or any line that is not valid
    // export syntax gives an Error naming the file and the line; nothing is half-loaded.
    static Result<RegistryFile> load(const QString& path);

    // Parses export text. `sourceName` names the data in error messages (a file name).
    static Result<RegistryFile> parse(const QByteArray& bytes, const QString& sourceName = {});

    // Whether the key exists. `keyPath` is below HKEY_LOCAL_MACHINE ("SOFTWARE\\Torvane");
    // a trailing backslash names the same key, and the empty path is HKEY_LOCAL_MACHINE itself.
    bool hasKey(const QString& keyPath) const;

    // The value `name` of the key (the empty name is the key's default value), or nothing when
    // the key or the value does not exist.
    std::optional<RegistryValue> value(const QString& keyPath, const QString& name) const;

private:
    struct NamedValue {
        QString name;
        RegistryValue value;
    };
    using Values = QHash<QString, NamedValue>;  // by case-folded value name

    friend class RegistryFileParser;

    void createKey(const QString& fullPath);
    void deleteKey(const QString& fullPath);
    void setValue(const QString& fullPath, const QString& name, RegistryValue value);
    void deleteValue(const QString& fullPath, const QString& name);

    QHash<QString, Values> m_keys;  // by case-folded full path ("hkey_local_machine\\software")
};

}  // namespace brindle
