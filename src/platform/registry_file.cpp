#include "platform/registry_file.h"

#include <QStringList>

#include "platform/regular_file.h"

namespace brindle {

namespace {

constexpr QLatin1StringView kLocalMachine{"HKEY_LOCAL_MACHINE"};

// Drops the trailing backslashes that name the same key ("Software\Torvane\").
QString withoutTrailingSeparators(QString path) {
    while (path.endsWith(u'\\')) path.chop(1);
    return path;
}

}  // namespace

Result<RegistryFile> RegistryFile::load(const QString& path) {
    const QString source = QStringLiteral("Registry file %1").arg(path);
    const RegularFileRead file = readRegularFile(path, kMaxFileBytes);
    if (file.outcome != RegularFileRead::Outcome::Read) return Error{source + u' ' + file.problem + u'.'};
    return parse(file.bytes, source);
}

bool RegistryFile::hasKey(const QString& keyPath) const {
    return withoutTrailingSeparators(keyPath).isEmpty() || find(keyPath).has_value();
}

std::optional<RegistryValue> RegistryFile::value(const QString& keyPath, const QString& name) const {
    const auto key = find(keyPath);
    if (!key) return std::nullopt;
    const Values& values = m_values[*key];
    const auto found = values.constFind(name.toCaseFolded());
    if (found == values.constEnd()) return std::nullopt;
    return found->value;
}

std::optional<RegistryFile::Node> RegistryFile::find(const QString& keyPath) const {
    const QString path = withoutTrailingSeparators(keyPath);
    std::optional<Node> key = child(kAboveRoots, QString(kLocalMachine));
    if (path.isEmpty()) return key;
    for (const QString& part : path.split(u'\\')) {
        if (!key) break;
        key = child(*key, part);
    }
    return key;
}

// Names compare as in the registry: they differ only when they differ other than in case.
std::optional<RegistryFile::Node> RegistryFile::child(Node parent, const QString& name) const {
    const auto found = m_children.constFind(Child{parent, name.toCaseFolded()});
    if (found == m_children.constEnd()) return std::nullopt;
    return *found;
}

RegistryFile::Node RegistryFile::createChild(Node parent, const QString& name) {
    Child key{parent, name.toCaseFolded()};
    if (const auto found = m_children.constFind(key); found != m_children.constEnd()) return *found;
    const Node node = m_values.size();
    m_values.append(Values());
    m_children.insert(std::move(key), node);
    return node;
}

void RegistryFile::deleteChild(Node parent, const QString& name) {
    m_children.remove(Child{parent, name.toCaseFolded()});
}

void RegistryFile::setValue(Node key, const QString& name, RegistryValue value) {
    m_values[key].insert(name.toCaseFolded(), NamedValue{name, std::move(value)});
}

void RegistryFile::deleteValue(Node key, const QString& name) {
    m_values[key].remove(name.toCaseFolded());
}

}  // namespace brindle
