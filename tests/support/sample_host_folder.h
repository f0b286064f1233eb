#pragma once

#include <QString>
#include <QtGlobal>

#include "hostbuilder/host_builder.h"
#include "hostbuilder/sample_host.h"

namespace brindle::testing {

// Writes a generated sample host of `subscribers` (the same for a seed) into `folder` and
// returns its path; ends the test program when it cannot.
inline QString writeSampleHost(const QString& folder, int subscribers, quint32 seed) {
    fixture::HostBuilder host;
    fixture::generateSample(host, subscribers, seed);
    const auto written = host.write(folder);
    if (!written) qFatal("%s", qPrintable(written.error().message));
    return written.value();
}

}  // namespace brindle::testing
