#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "export/directory/make_lookup.h"
#include "hostbuilder/host_builder.h"
#include "platform/notifier.h"
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

// What a test changes about a run; everything has a sensible default.
struct ExportSetup {
    QString failingView = {};  // its look-ups fail as a server's do ("mailbox" for the message store)
    InstallPathSource installPath = {};                             // the fixture host's own by default
    std::function<void(const QString& outputFolder)> prepare = {};  // puts something there first
    Notifier* notifier = nullptr;                                   // the window's, when set
    QString outputName = QStringLiteral("out.csv");                 // in the output folder
    DirectoryConnection* directory = nullptr;  // read instead of the host's own databases
    std::optional<LookupReader> reader = {};   // the reader under test by default
};

// Writes the host, opens it as start-up does and exports the list entries into a throwaway
// folder.
Result<ExportOutput> runExport(const fixture::HostBuilder& host, const QStringList& entries,
                               const ExportSetup& setup = {});

// The failure a look-up of the view named in ExportSetup::failingView answers with, and the
// line a column logs for it.
Error failedLookUp(const QString& view);
inline QString failedLookUpLine(const QString& view) {
    const Error error = failedLookUp(view);
    return QStringLiteral("(error) in export. Description=%1, Source=%2, Number= %3")
        .arg(error.message, error.source)
        .arg(error.number);
}

inline QStringList emptyFields(int count) {
    return QStringList(count, QString());
}

}  // namespace brindle::testing

// Runs one export and leaves `out` holding its output; fails the test where it cannot run.
#define RUN_EXPORT(out, ...)                                                                            \
    auto out##Result = runExport(__VA_ARGS__);                                                          \
    QVERIFY2(out##Result.ok(), qPrintable(out##Result.ok() ? QString() : out##Result.error().message)); \
    const ExportOutput& out = out##Result.value()
