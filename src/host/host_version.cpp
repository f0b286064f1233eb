#include "host/host_version.h"

#include <QDir>
#include <limits>
#include <optional>

#include "host/registry_api.h"
#include "platform/notifier.h"

namespace brindle {

namespace {

constexpr QLatin1StringView kMakerKey{"SOFTWARE\\Kestrom Systems\\Kestrom Halvern"};
constexpr QLatin1StringView kFirstMakerKey{"Software\\Torvane\\"};
constexpr QLatin1StringView kFirstMakerPathKey{"SOFTWARE\\Torvane\\Ostrum\\1.0"};

constexpr int kTypeString = 1;
constexpr int kTypeDword = 4;
constexpr int kOverflowError = 6;

void reportGetVersionError(Notifier& notifier, const Error& error) {
    notifier.inform(QStringLiteral("(error):%1 (%2) in procedure getVersion of Module HalvernVersion")
                        .arg(QString::number(error.number), error.message));
}

// One 32-bit value of `key`, narrowed to a version field. A value that does not fit is an
// overflow, reported, and leaves the field as it was rather than wrapping it.
void readVersionField(const RegistryFile& registry, const QString& name, qint16& field, Notifier& notifier) {
    auto read = QueryRegistryValue(registry, Hive::LocalMachine, kMakerKey, name, kTypeDword, 0);
    if (!read) return reportGetVersionError(notifier, read.error());
    const int number = read->toInt();
    if (number < std::numeric_limits<qint16>::min() || number > std::numeric_limits<qint16>::max()) {
        return reportGetVersionError(notifier, Error{QStringLiteral("Overflow"), kOverflowError});
    }
    field = static_cast<qint16>(number);
}

// The number as 8 upper-case hexadecimal digits, negative numbers in their 32-bit form.
QString eightHexDigits(const QVariant& number) {
    return QString::number(static_cast<quint32>(number.toInt()), 16).toUpper().rightJustified(8, u'0');
}

// The decimal value of the leading decimal digits; reading stops at the first other character.
// Applied to hexadecimal text on purpose: "000A" gives 0, as the host's own tools read it.
qint16 leadingDecimalValue(QStringView digits) {
    qint16 value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9') break;
        value = static_cast<qint16>(value * 10 + (c.unicode() - u'0'));
    }
    return value;
}

std::optional<QVariant> readFirstMakerNumber(const RegistryFile& registry, const QString& name,
                                             Notifier& notifier) {
    auto read =
        QueryRegistryValue(registry, Hive::LocalMachine, kFirstMakerKey, name, kTypeDword, QVariant());
    if (!read) {
        reportGetVersionError(notifier, read.error());
        return std::nullopt;
    }
    return read.value();
}

void readFirstMakerVersion(const RegistryFile& registry, HostVersionInfo& info, Notifier& notifier) {
    if (const auto version = readFirstMakerNumber(registry, QStringLiteral("Version Number"), notifier)) {
        const QString digits = eightHexDigits(*version);
        info.Major = leadingDecimalValue(QStringView(digits).left(4));
        info.Minor = leadingDecimalValue(QStringView(digits).right(4));
    }
    if (const auto build = readFirstMakerNumber(registry, QStringLiteral("Build Number"), notifier)) {
        const QString digits = eightHexDigits(*build);
        info.Release = leadingDecimalValue(QStringView(digits).left(4));
        // Only the build is read as hexadecimal, and kept as a 16-bit signed number (FFFF is -1).
        info.Build = static_cast<qint16>(QStringView(digits).right(4).toUShort(nullptr, 16));
    }
}

// `path` as an absolute, clean path; a relative one is taken relative to the host folder.
QString absoluteInHost(const QString& hostFolder, const QString& path) {
    return QDir::cleanPath(QDir(hostFolder).absoluteFilePath(path));
}

// The text value, which must name a folder: an empty one would name the root once the
// separator is added.
Result<QString> readInstallText(const RegistryFile& registry, QLatin1StringView key, const QString& name) {
    auto read = QueryRegistryValue(registry, Hive::LocalMachine, key, name, kTypeString, QString());
    if (!read) {
        return Error{QStringLiteral("Error %1 (%2) in procedure strGetInstallPath of Module HalvernVersion")
                         .arg(QString::number(read.error().number), read.error().message),
                     read.error().number};
    }
    if (read->toString().isEmpty())
        return Error{QStringLiteral("the host's registry names no install folder (%1)").arg(name)};
    return read->toString();
}

}  // namespace

HostVersionInfo getVersion(const RegistryFile& registry, Notifier& notifier) {
    HostVersionInfo info;
    if (KeyExists(registry, Hive::LocalMachine, kMakerKey)) {
        readVersionField(registry, QStringLiteral("MajorVersion"), info.Major, notifier);
        readVersionField(registry, QStringLiteral("MinorVersion"), info.Minor, notifier);
        readVersionField(registry, QStringLiteral("BuildVersion"), info.Build, notifier);
        readVersionField(registry, QStringLiteral("ReleaseVersion"), info.Release, notifier);
        info.NewLayout = true;
    } else if (KeyExists(registry, Hive::LocalMachine, kFirstMakerKey)) {
        readFirstMakerVersion(registry, info, notifier);
    } else {
        info.NotFound = true;
    }
    info.VersionText =
        QStringLiteral("%1.%2(%3.%4)").arg(info.Major).arg(info.Minor).arg(info.Release).arg(info.Build);
    return info;
}

Result<QString> strGetInstallPath(const HostVersionInfo& hostVersion, const RegistryFile& registry,
                                  const QString& hostFolder) {
    if (hostVersion.Major == 0) {
        return Error{QStringLiteral(
            "You need to load the verson information before calling any of the path fetch routines.")};
    }
    if (hostVersion.NewLayout) {
        const auto folder = readInstallText(registry, kMakerKey, QStringLiteral("InstalledFolderPath"));
        if (!folder) return folder;
        const QString path = absoluteInHost(hostFolder, *folder);
        return path.endsWith(u'/') ? path : path + u'/';
    }
    // The older generation's path goes back as the registry holds it, without a separator.
    const auto root = readInstallText(registry, kFirstMakerPathKey, QStringLiteral("Root Path"));
    if (!root || QDir::isAbsolutePath(*root)) return root;
    const QString path = absoluteInHost(hostFolder, *root);
    return root->endsWith(u'/') && !path.endsWith(u'/') ? path + u'/' : path;
}

}  // namespace brindle
