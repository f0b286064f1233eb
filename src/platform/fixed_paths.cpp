#include "platform/fixed_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace brindle {

QString homeFolder() {
    return QDir::homePath();
}

QString errorLogPath() {
    return QDir(homeFolder()).filePath(QStringLiteral("BrindleErrors.log"));
}

QString defaultOutputPath() {
    return QDir(homeFolder()).filePath(QStringLiteral("Brindle.CSV"));
}

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}

QString programName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

}  // namespace brindle
