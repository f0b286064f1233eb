#pragma once

#include <QString>
#include <optional>

#include "export/directory/make_lookup.h"

namespace brindle {

// Everything that configures the program from outside, read once when it starts and passed
// down; nothing below reads the environment.
struct RunConfig {
    QString homeFolder;           // the error log and the default output live here
    QString hostFolder;           // the folder that stands for the host server machine
    QString directoryConnection;  // an ODBC connection string; empty: the host folder's SQLite
    LookupReader reader = LookupReader::SetBased;
    std::optional<int> directoryTimeoutSeconds;  // replaces 15 s to connect and 60 s a statement
    QString toolsSite = QStringLiteral("http://tools.brindle-demo.test");  // scheme and host
};

}  // namespace brindle
