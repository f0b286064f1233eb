#pragma once

#include <QString>

namespace brindle {

// The fixed places of the program on this platform: the error log and the default output
// file live in the user's home folder, where the Windows build used the root of drive C.
QString errorLogPath();       // $HOME/BrindleErrors.log
QString defaultOutputPath();  // $HOME/Brindle.CSV
QString homeFolder();         // $HOME, the file dialog's first folder

// A folder that only the user can write, for lock files: the session's runtime folder where
// there is one, the home folder otherwise (a cron job has no runtime folder).
QString privateLockFolder();

// The folder of the running executable (build/bin in a build tree).
QString programFolder();

// The executable's file name without extension ("brindle").
QString programName();

}  // namespace brindle
