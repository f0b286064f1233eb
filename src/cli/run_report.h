#pragma once

#include <QByteArray>
#include <QString>

#include "export/export_options.h"

namespace brindle {

// How an unattended run ended, as --summary=json reports it on standard output.
struct RunReport {
    QString outputPath;
    QString format = QStringLiteral("csv");
    ExportSummary summary;  // counts of a run that ended; zeros when it did not
    QString logPath;
    double seconds = 0;
    int exitStatus = 0;
    QString message;            // what went wrong; empty on success
    bool changesAsked = false;  // --changes: the counts are reported, zeros unless the run ended

    // One JSON object on one line; "message" only on failure.
    QByteArray toJson() const;
};

}  // namespace brindle
