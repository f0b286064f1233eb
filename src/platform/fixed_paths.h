#pragma once

#include <QString>

#include "platform/result.h"

namespace brindle {

// The fixed places of the program on this platform: the error log and the default output
// file live in the user's home folder (HOME), where the Windows build used the root of drive C.
QString errorLogPath(const QString& home);       // HOME/BrindleErrors.log
QString defaultOutputPath(const QString& home);  // HOME/Brindle.CSV

// An Error unless the home folder is given as an absolute path: without it the log would land
// in the root folder, or wherever the working folder happens to be.
Result<void> checkHomeFolder(const QString& home);

// A folder that only the user can write, for lock files: the session's runtime folder where
// there is one, the home folder otherwise (a cron job has no runtime folder).
QString privateLockFolder(const QString& home);

// The folder of the running executable (build/bin in a build tree).
QString programFolder();

// The executable's file name without extension ("brindle").
QString programName();

}  // namespace brindle
