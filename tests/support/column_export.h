#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

#include "export/directory/cached_tables.h"
#include "export/directory/directory_connection.h"
#include "export/directory/make_lookup.h"
#include "hostbuilder/host_builder.h"
#include "platform/notifier.h"
#include "platform/result.h"

namespace brindle::testing {

// A fixture host written into a throwaway folder, its databases open as start-up opens them.
struct OpenedHost {
    QTemporaryDir folder;
    QString path;  // the host folder
    std::unique_ptr<DirectoryConnection> connection;
    CachedTables tables;  // open only when asked for
};

// Writes the host and opens its databases; with `openTables`, the run's tables as well.
Result<std::unique_ptr<OpenedHost>> openHost(const fixture::HostBuilder& host, bool openTables = true);

// What one export of a fixture host left: its lines (the header left out), the log, and every
// file in the output folder (voice-name copies) by name.
struct ExportOutput {
    QList<QStringList> lines;
    QString log;
    QMap<QString, QByteArray> copies;
    QStringList strays;  // whatever the run left beside the output folder, the host and the log

    // The log lines written while the subscriber's line was built, empty lines left out.
    QStringList logOf(const QString& alias) const;
};

// What a test changes about a run; everything has a sensible default.
struct ExportSetup {
    QString failingView = {};  // its look-ups fail as a server's do ("mailbox" for the message store)
    std::function<Result<QString>()> installPath = {};              // the fixture host's own by default
    std::function<void(const QString& outputFolder)> prepare = {};  // puts something there first
    Notifier* notifier = nullptr;                                   // the window's, when set
    QString outputName = QStringLiteral("out.csv");                 // in the output folder
    DirectoryConnection* directory = nullptr;  // read instead of the host's own databases
    std::optional<LookupReader> reader = {};   // the reader under test by default
};

// Writes the host, opens it as start-up does and exports the list entries, the rows kept in
// memory, the copies and the log in a throwaway folder.
Result<ExportOutput> runExport(const fixture::HostBuilder& host, const QStringList& entries,
                               const ExportSetup& setup = {});

// The line a column logs when a look-up of the view named in ExportSetup::failingView fails.
QString failedLookUpLine(const QString& view);

inline QStringList emptyFields(int count) {
    return QStringList(count, QString());
}

}  // namespace brindle::testing

// Runs one export and leaves `out` holding its output; fails the test where it cannot run.
#define RUN_EXPORT(out, ...)                                                                            \
    auto out##Result = runExport(__VA_ARGS__);                                                          \
    QVERIFY2(out##Result.ok(), qPrintable(out##Result.ok() ? QString() : out##Result.error().message)); \
    const ExportOutput& out = out##Result.value()
