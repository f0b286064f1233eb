#pragma once

#include <QStringList>
#include <QTextStream>

#include "startup/run_config.h"

namespace brindle {

// Runs one export from the command line without any window, display or question, and
// returns the exit status: 0 when the output file and the log were written (problems of
// single subscribers are in the log), 1 when the export did not run. On success one summary
// line goes to `out`; every message goes to `err`.
int runUnattended(const RunConfig& config, const QStringList& arguments, QTextStream& out, QTextStream& err);

// Handles --help, -h, /? and --version. True when it did (exit status 0, no file touched).
bool answerInformationRequest(const QStringList& arguments, QTextStream& out);

}  // namespace brindle
