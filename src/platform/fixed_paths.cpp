#include "platform/fixed_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace brindle {

Result<void> checkHomeFolder(const QString& home) {
    if (home.isEmpty()) {
        return Error{QStringLiteral("HOME is not set: Brindle writes its error log BrindleErrors.log there")};
    }
    if (!QDir::isAbsolutePath(home)) {
        return Error{QStringLiteral("HOME (%1) is not an absolute path: Brindle writes its error log "
                                    "BrindleErrors.log there")
                         .arg(home)};
    }
    return {};
}

QString privateLockFolder(const QString& home) {
    // Asked only when the variable is set: without it Qt makes a folder in /tmp and warns
    // about it on standard error, which a scheduled job would mail every night.
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty()) return runtime;
    }
    return home;
}

QString errorLogPath(const QString& home) {
    return QDir(home).filePath(QStringLiteral("BrindleErrors.log"));
}

QString defaultOutputPath(const QString& home) {
    return QDir(home).filePath(QStringLiteral("Brindle.CSV"));
}

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}

QString programName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

}  // namespace brindle
