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

    // The list entries the line names (by substring, without regard to case), in list order;
    // every entry when it names none.
    QStringList selectedEntries(const QStringList& entries) const;
};

}  // namespace brindle
