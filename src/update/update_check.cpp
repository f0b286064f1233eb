#include "update/update_check.h"

#include <QStringList>
#include <algorithm>

#include "platform/notifier.h"
#include "platform/version.h"

namespace brindle {

namespace {

constexpr QLatin1StringView kDownloadListPath{"/SiteList/AllDownloads/AllDownloads.XML"};
constexpr QLatin1StringView kCellTag{"<cell>"};

// The number the platform gives a call with an argument it cannot take.
constexpr int kInvalidArgument = 5;

bool isDecimalDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isNumber(const QString& text) {
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), isDecimalDigit);
}

// The number format "0###": a number of fewer than 4 digits gets zeros in front, a longer one
// stays whole, and anything that is not a number comes out unchanged.
QString formatComponent(const QString& component) {
    if (!isNumber(component)) return component;
    qsizetype first = 0;
    while (first < component.size() - 1 && component[first] == u'0') ++first;
    return component.mid(first).rightJustified(4, u'0');
}

// The digits and dots that stand at `from`, up to the first other character.
QString versionAt(const QString& text, qsizetype from) {
    qsizetype end = from;
    while (end < text.size() && (isDecimalDigit(text[end]) || text[end] == u'.')) ++end;
    return text.mid(from, end - from);
}

QString unableToContactMessage(const QString& site) {
    return QStringLiteral(
               "Unable to contact application home page to check for version.  You can access the "
               "home page and check for updated versions of all Kestrom Halvern tools by going to ") +
           site;
}

QString updateAvailableQuestion(const QString& site) {
    return QStringLiteral("An updated version of this tool is available on ") + site +
           QStringLiteral(".  Click OK to open the application home page now");
}

constexpr QLatin1StringView kUpToDateMessage{"You have the most up to date version of this tool installed"};

}  // namespace

QString ownVersionText() {
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

QString PadVersionString(const QString& version, Notifier& notifier) {
    if (version.size() < 4) return {};
    if (!version.contains(u'.')) {
        notifier.inform(
            QStringLiteral("(error):%1 (%2) in procedure PadVersionString of Module modUpdateCheck")
                .arg(QString::number(kInvalidArgument),
                     QStringLiteral("Invalid procedure call or argument")));
        return {};
    }
    QStringList components = version.split(u'.');
    for (QString& component : components) component = formatComponent(component);
    return components.join(u'.');
}

QString GetLatestVersion(const QString& homePage, const QString& toolName, Notifier& notifier,
                         std::chrono::milliseconds timeout) {
    const QUrl address(homePage);
    const QString key = address.path();
    if (!address.isValid() || key.isEmpty()) return {};

    const QString list = FetchUrlText(address.resolved(QUrl(kDownloadListPath)), timeout);
    return latestVersionFromList(list, key, toolName, notifier);
}

QString latestVersionFromList(const QString& list, const QString& key, const QString& toolName,
                              Notifier& notifier) {
    if (list.size() < 10) return {};
    const QString name = toolName.size() > 1 ? toolName : QString();
    const QString marker = name + u'^' + key + QStringLiteral("^ifram_a");
    const qsizetype entry = list.indexOf(marker, 0, Qt::CaseInsensitive);
    if (entry < 0) return {};
    const qsizetype cell = list.indexOf(kCellTag, entry, Qt::CaseInsensitive);
    if (cell < 0) return {};
    return PadVersionString(versionAt(list, cell + kCellTag.size()), notifier);
}

void checkForUpdatedVersion_Foreground(const UpdateCheckOptions& options, Notifier& notifier,
                                       const OpenUrl& openUrl) {
    const QString latest = GetLatestVersion(options.homePage, options.toolName, notifier, options.timeout);
    const QString current = PadVersionString(options.ownVersion, notifier);
    if (latest.isEmpty()) {
        notifier.inform(unableToContactMessage(options.siteAddress));
    } else if (current < latest) {
        const bool open =
            notifier.confirm(updateAvailableQuestion(options.siteAddress), Notifier::Answers::OkCancel,
                             QStringLiteral("Updated version is available"));
        if (open && openUrl) openUrl(QUrl(options.homePage));
    } else {
        notifier.inform(QString(kUpToDateMessage));
    }
}

}  // namespace brindle
