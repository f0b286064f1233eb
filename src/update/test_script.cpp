#include "update/test_script.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "platform/fixed_paths.h"
#include "platform/version.h"

namespace brindle {

void LaunchTestScript(const QString& address, const QString& name) {
    const QString script = QDir(programFolder()).filePath(QStringLiteral("test.sh"));
    if (!QFileInfo(script).isFile()) return;
    QStringList arguments{script, QString::fromLatin1(kVersionText), address};
    if (name.size() >= 2) arguments << name;
    QProcess::startDetached(QStringLiteral("/bin/sh"), arguments);
}

}  // namespace brindle
