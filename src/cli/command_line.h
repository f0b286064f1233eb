#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace brindle {

// An unattended command line: the program's arguments joined by single blanks. Labels are
// looked for only before the first "/f:"; everything after it, blanks included, is the path.
struct CommandLine {
    QString text;

    static CommandLine fromArguments(const QStringList& arguments);

    // The output path, or nothing when the line has no "/f:".
    std::optional<QString> outputPath() const;

    // The text that names the items: all of the line before the first "/f:", or all of it.
    QString namingText() const;

    // The list entries the naming text holds (by substring, without regard to case), in list
    // order; none when it holds none.
    QStringList namedEntries(const QStringList& entries) const;

    // The named entries, or every entry when the line names none.
    QStringList selectedEntries(const QStringList& entries) const;
};

// Where the first "/f:" begins in `text`, found without regard to case, or -1.
qsizetype findPathMarker(const QString& text);

// A path that begins with "~/" taken from `home`; any other path as it is.
QString expandHome(const QString& path, const QString& home);

// What the user is told before an export that may not be what was meant: one line for each
// of `namingArguments` that is part of no entry and holds none (a likely typo), and one when
// the line has naming text but names no entry, so that every item is exported.
QStringList namingWarnings(const CommandLine& line, const QStringList& namingArguments,
                           const QStringList& entries);

}  // namespace brindle
