#pragma once

#include <QDir>
#include <QString>
#include <QWidget>

namespace brindle::testing {

// Saves a picture of `widget` as `name`.png in BRINDLE_SCREENSHOT_DIR (build/screenshots under
// CTest), for a person to look at; false when it cannot be written.
inline bool saveScreenshot(QWidget& widget, const QString& name) {
    const QString folder =
        qEnvironmentVariable("BRINDLE_SCREENSHOT_DIR", QDir::currentPath() + "/screenshots");
    return QDir().mkpath(folder) && widget.grab().save(QDir(folder).filePath(name + ".png"));
}

}  // namespace brindle::testing
