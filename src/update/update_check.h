#pragma once

#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>

#include "update/home_page.h"

namespace brindle {

class Notifier;

// Opens an address with the desktop's handler; the window passes QDesktopServices::openUrl.
using OpenUrl = std::function<bool(const QUrl&)>;

inline constexpr std::chrono::milliseconds kFetchTimeout{10'000};
inline constexpr qint64 kMaxFetchBytes = 1024 * 1024;

// This tool's major, minor and revision numbers joined by "." (for example 1.2.45).
QString ownVersionText();

// What one update check asks and against what.
struct UpdateCheckOptions {
    QString homePage;
    QString toolName;
    QString siteAddress;
    QString ownVersion = ownVersionText();
    std::chrono::milliseconds timeout = kFetchTimeout;

    // The program's own check of its page on the tools web site `site`.
    static UpdateCheckOptions forSite(const QString& site) { return {homePageAddress(site), {}, site}; }
};

// The whole body of an HTTP GET, decoded in the locale's encoding. Empty when the fetch fails:
// no server, an HTTP error status, no data for `timeout`, or a body over kMaxFetchBytes.
// Runs a local event loop while it waits, so the caller's windows keep repainting and
// answering input; the pointer is the caller's to set.
QString FetchUrlText(const QUrl& url, std::chrono::milliseconds timeout = kFetchTimeout);

// Each "."-separated component of at least 4 digits, zeros in front (1.2.45 gives
// 0001.0002.0045), for comparing as plain text. Empty for a text shorter than 4 characters;
// a text without "." is reported through `notifier` and gives empty.
QString PadVersionString(const QString& version, Notifier& notifier);

// The padded version of the newest download of the tool whose home page is `homePage`, read
// from the tools web site's download list at the same scheme and host; empty when the list
// cannot be fetched or has no entry for the tool.
QString GetLatestVersion(const QString& homePage, const QString& toolName, Notifier& notifier,
                         std::chrono::milliseconds timeout = kFetchTimeout);

// The padded version that the download list `list` gives for the tool: the digits and dots
// that open the first <cell> after the entry "TOOLNAME^KEY^ifram_a" (in any case; KEY is the
// home page's path, and a tool name of one character counts as none). Empty when the list is
// shorter than 10 characters or has no entry for the tool.
QString latestVersionFromList(const QString& list, const QString& key, const QString& toolName,
                              Notifier& notifier);

// The Help menu's check: tells the user whether a newer version exists and, when one does and
// the user agrees, opens the home page through `openUrl`.
void checkForUpdatedVersion_Foreground(const UpdateCheckOptions& options, Notifier& notifier,
                                       const OpenUrl& openUrl);

}  // namespace brindle
