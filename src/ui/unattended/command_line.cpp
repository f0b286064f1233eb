#include "ui/unattended/command_line.h"

namespace brindle {

namespace {
const QString kPathMarker = QStringLiteral("/f:");
}

CommandLine CommandLine::fromArguments(const QStringList& arguments) {
    return {arguments.join(QLatin1Char(' '))};
}

std::optional<QString> CommandLine::outputPath() const {
    const qsizetype marker = text.indexOf(kPathMarker, 0, Qt::CaseInsensitive);
    if (marker < 0) return std::nullopt;
    return text.mid(marker + kPathMarker.size());
}

QStringList CommandLine::selectedEntries(const QStringList& entries) const {
    // A label that happens to be part of the output path must not select its item.
    const QString labels = text.left(text.indexOf(kPathMarker, 0, Qt::CaseInsensitive));
    QStringList selected;
    for (const QString& entry : entries) {
        if (labels.contains(entry, Qt::CaseInsensitive)) selected << entry;
    }
    return selected.isEmpty() ? entries : selected;
}

}  // namespace brindle
