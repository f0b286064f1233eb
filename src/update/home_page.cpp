#include "update/home_page.h"

namespace brindle {

QString toolsSiteAddress() {
    const QString site = qEnvironmentVariable("BRINDLE_TOOLS_SITE");
    return site.isEmpty() ? QStringLiteral("http://tools.brindle-demo.test") : site;
}

QString homePageAddress() {
    return toolsSiteAddress() + QStringLiteral("/Applications/Qvr/Brindle/Brindle.html");
}

}  // namespace brindle
