#include "cli/command_line.h"

#include <QDir>

namespace brindle {

namespace {

const QLatin1String kPathMarker("/f:");

bool belongsToSomeEntry(const QString& argument, const QStringList& entries) {
    for (const QString& entry : entries) {
        if (entry.contains(argument, Qt::CaseInsensitive) || argument.contains(entry, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

}  // namespace

qsizetype findPathMarker(const QString& text) {
    return text.indexOf(kPathMarker, 0, Qt::CaseInsensitive);
}

CommandLine CommandLine::fromArguments(const QStringList& arguments) {
    return {arguments.join(QLatin1Char(' '))};
}

std::optional<QString> CommandLine::outputPath() const {
    const qsizetype marker = findPathMarker(text);
    if (marker < 0) return std::nullopt;
    return text.mid(marker + kPathMarker.size());
}

QString CommandLine::namingText() const {
    return text.left(findPathMarker(text));
}

QStringList CommandLine::namedEntries(const QStringList& entries) const {
    // A label that happens to be part of the output path must not select its item.
    const QString labels = namingText();
    QStringList named;
    for (const QString& entry : entries) {
        if (labels.contains(entry, Qt::CaseInsensitive)) named << entry;
    }
    return named;
}

QStringList CommandLine::selectedEntries(const QStringList& entries) const {
    const QStringList named = namedEntries(entries);
    return named.isEmpty() ? entries : named;
}

QString expandHome(const QString& path, const QString& home) {
    if (!path.startsWith(QLatin1String("~/"))) return path;
    return QDir(home).filePath(path.mid(2));
}

QStringList namingWarnings(const CommandLine& line, const QStringList& namingArguments,
                           const QStringList& entries) {
    QStringList warnings;
    for (const QString& argument : namingArguments) {
        const QString word = argument.trimmed();
        if (word.isEmpty() || belongsToSomeEntry(word, entries)) continue;
        warnings
            << QStringLiteral("\"%1\" is part of no data item label (brindle --list shows them)").arg(word);
    }
    const QString naming = line.namingText().trimmed();
    if (!naming.isEmpty() && line.namedEntries(entries).isEmpty()) {
        warnings << QStringLiteral("no data item named in \"%1\"; exporting every item").arg(naming);
    }
    return warnings;
}

}  // namespace brindle
