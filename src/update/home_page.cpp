#include "update/home_page.h"

namespace brindle {

QString homePageAddress(const QString& site) {
    return site + QStringLiteral("/Applications/Qvr/Brindle/Brindle.html");
}

}  // namespace brindle
