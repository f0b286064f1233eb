#pragma once

#include <QByteArray>
#include <QString>

namespace brindle {

// What reading a file that must be a regular file of bounded size gave.
struct RegularFileRead {
    enum class Outcome { Read, CannotOpen, NotRegular, TooLarge };
    Outcome outcome = Outcome::CannotOpen;
    QByteArray bytes;  // the whole file, when Read
    QString problem;   // otherwise what is wrong, to follow the file's name: "is a named pipe, ..."
};

// Reads the whole file at `path` (symbolic links followed) when it is a regular file of at
// most `maxBytes`. Never waits on a pipe or a device and never reads more than maxBytes + 1
// bytes: the file's kind is checked before it is opened, and again on the opened file, in
// case it was replaced in between.
RegularFileRead readRegularFile(const QString& path, qint64 maxBytes);

}  // namespace brindle
