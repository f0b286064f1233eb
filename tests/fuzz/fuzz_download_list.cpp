#include <QByteArray>
#include <QString>
#include <QUrl>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/notifier.h"
#include "update/update_check.h"

namespace brindle {

// The parser never fetches; this stands in for the network part of the update check.
QString FetchUrlText(const QUrl&, std::chrono::milliseconds) {
    return {};
}

}  // namespace brindle

namespace {

class SilentNotifier final : public brindle::Notifier {
public:
    void inform(const QString&) override {}
    bool confirm(const QString&, Answers, const QString&) override { return false; }
};

const QString kHomePagePath = QStringLiteral("/Applications/Qvr/Brindle/Brindle.html");

}  // namespace

// Any list as the tools web site might send it: the version found is nothing or digits and
// dots, as the comparison with the program's own version expects.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString list = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    SilentNotifier notifier;
    for (const QString& tool : {QStringLiteral("Brindle"), QStringLiteral("B")}) {
        const QString version = brindle::latestVersionFromList(list, kHomePagePath, tool, notifier);
        const bool digitsAndDots = std::all_of(version.cbegin(), version.cend(),
                                               [](QChar c) { return (c >= u'0' && c <= u'9') || c == u'.'; });
        if (!digitsAndDots) {
            std::fprintf(stderr, "version \"%s\" is not digits and dots\n", qPrintable(version));
            std::abort();
        }
    }
    return 0;
}
