#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

#include "hostbuilder/host_builder.h"
#include "platform/result.h"

namespace brindle::testing {

// What one export of a fixture host left: the header and lines read back as delimited text,
// the log, and every other file in the output folder (voice-name copies) by name.
struct ExportOutput {
    QStringList header;
    QList<QStringList> lines;
    QString log;
    QMap<QString, QByteArray> copies;
    QStringList strays;  // whatever the run left beside the output folder, the host and the log

    // The log lines written while the subscriber's line was built, empty lines left out.
    QStringList logOf(const QString& alias) const;
};

// Where the export looks for the host's install folder; by default the fixture host's own.
using InstallPathSource = std::function<Result<QString>()>;

// Called with the output folder before the run, to put something there.
using OutputFolderSetup = std::function<void(const QString& outputFolder)>;

// Writes the host, opens it as start-up does and exports the list entries into a throwaway
// folder. Look-ups of `failingView` ("mailbox" for the message store) fail as a server's do.
Result<ExportOutput> runExport(const fixture::HostBuilder& host, const QStringList& entries,
                               const QString& failingView = QString(), InstallPathSource installPath = {},
                               const OutputFolderSetup& setup = {});

inline QStringList emptyFields(int count) {
    return QStringList(count, QString());
}

}  // namespace brindle::testing

// Runs one export and leaves `out` holding its output; fails the test where it cannot run.
#define RUN_EXPORT(out, ...)                                                                            \
    auto out##Result = runExport(__VA_ARGS__);                                                          \
    QVERIFY2(out##Result.ok(), qPrintable(out##Result.ok() ? QString() : out##Result.error().message)); \
    const ExportOutput& out = out##Result.value()
