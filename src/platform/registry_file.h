#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
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

    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

    // Reads and parses the export at `path`. An unreadable file, one that is not a regular
    // file (a pipe, a device, a folder) or is larger than kMaxFileBytes, or any line that is
    // not valid export syntax gives an Error naming the file (and the line); nothing is
    // half-loaded.
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
    using Node = qsizetype;

    // A key is a node; its subkeys are found by (its node, their case-folded name), so that a
    // key's name is stored once however deep it lies. Node 0 stands above the root keys.
    struct Child {
        Node parent;
        QString foldedName;
        bool operator==(const Child&) const = default;
    };
    friend size_t qHash(const Child& child, size_t seed) {
        return qHashMulti(seed, child.parent, child.foldedName);
    }

    friend class RegistryFileParser;

    std::optional<Node> find(const QString& keyPath) const;
    std::optional<Node> child(Node parent, const QString& name) const;
    Node createChild(Node parent, const QString& name);
    // Unlinks the key from its parent: it and its subkeys are no longer found.
    void deleteChild(Node parent, const QString& name);
    void setValue(Node key, const QString& name, RegistryValue value);
    void deleteValue(Node key, const QString& name);

    static constexpr Node kAboveRoots = 0;
    QList<Values> m_values{Values()};  // by node
    QHash<Child, Node> m_children;
};

}  // namespace brindle
