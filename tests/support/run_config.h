#pragma once

#include <QDir>
#include <QString>

#include "startup/run_config.h"

namespace brindle::testing {

// The reader CTest asks for: the second run of a test sets BRINDLE_LOOKUPS=per-statement.
inline LookupReader readerUnderTest() {
    return qEnvironmentVariable("BRINDLE_LOOKUPS") == QLatin1String("per-statement")
               ? LookupReader::PerStatement
               : LookupReader::SetBased;
}

// A run on the fixture host `host`, with the reader under test and `home` as home folder.
inline RunConfig runConfigFor(const QString& host, const QString& home = QDir::homePath()) {
    RunConfig config;
    config.homeFolder = home;
    config.hostFolder = host;
    config.reader = readerUnderTest();
    return config;
}

}  // namespace brindle::testing
