#include "support/column_export.h"

#include <QDir>
#include <QFile>

#include "export/directory/make_lookup.h"
#include "export/export_run.h"
#include "localize/localizer.h"
#include "support/files.h"
#include "support/memory_output.h"
#include "support/run_config.h"

namespace brindle::testing {

namespace {

Error failedLookUp(const QString& view) {
    return Error{QStringLiteral("Invalid object name '%1'.").arg(view), 208,
                 QStringLiteral("Microsoft OLE DB Provider for ODBC Drivers")};
}

// Answers one view with a failure, the way a server does when the view is missing or the
// statement cannot be run, and passes every other look-up on.
class FailingLookup final : public DirectoryLookup {
public:
    FailingLookup(DirectoryLookup& inner, QString failingView) : m_inner(inner), m_failingView(failingView) {}
    Result<Recordset> rows(const ViewKey& key, const QVariant& value) override {
        if (key.view == m_failingView) return failedLookUp(m_failingView);
        return m_inner.rows(key, value);
    }
    Result<Recordset> mailbox(const QVariant& subscriberId) override {
        if (m_failingView == QLatin1String("mailbox")) return failedLookUp(m_failingView);
        return m_inner.mailbox(subscriberId);
    }

private:
    DirectoryLookup& m_inner;
    QString m_failingView;
};

class QuietObserver final : public RunObserver {
public:
    void progressed(int) override {}
    std::optional<QString> stopRequested() override { return std::nullopt; }
};

}  // namespace

Result<std::unique_ptr<OpenedHost>> openHost(const fixture::HostBuilder& host, bool openTables) {
    auto opened = std::make_unique<OpenedHost>();
    auto written = host.write(opened->folder.filePath(QStringLiteral("host")));
    if (!written) return written.error();
    opened->path = written.value();
    auto connection = DirectoryConnection::openSqlite(opened->path + QStringLiteral("/HalvernDirDB.db"),
                                                      opened->path + QStringLiteral("/HalvernMbxDB1.db"));
    if (!connection) return connection.error();
    opened->connection = std::move(connection).value();
    if (auto tables = openTables ? opened->tables.OpenDirectoryTables(*opened->connection) : Result<void>{};
        !tables)
        return tables.error();
    return opened;
}

QString failedLookUpLine(const QString& view) {
    const Error error = failedLookUp(view);
    return QStringLiteral("(error) in export. Description=%1, Source=%2, Number= %3")
        .arg(error.message, error.source)
        .arg(error.number);
}

QStringList ExportOutput::logOf(const QString& alias) const {
    QStringList section;
    bool found = false;
    bool inside = false;
    for (const QString& line : log.split(QStringLiteral("\r\n"))) {
        if (line.startsWith(QLatin1String("Alias="))) {
            inside = line == QLatin1String("Alias=") + alias;
            found = found || inside;
        } else if (inside && !line.isEmpty()) {
            section << line;
        }
    }
    // A missing marker must not pass for a quiet subscriber.
    return found ? section : QStringList{QStringLiteral("(no Alias= line for %1)").arg(alias)};
}

Result<ExportOutput> runExport(const fixture::HostBuilder& host, const QStringList& entries,
                               const ExportSetup& setup) {
    auto opened = openHost(host, !setup.directory);
    if (!opened) return opened.error();
    OpenedHost& fixture = *opened.value();
    // A server's tables when the test gives its connection, else the fixture host's own.
    DirectoryConnection& directory = setup.directory ? *setup.directory : *fixture.connection;
    CachedTables serverTables;
    CachedTables& tables = setup.directory ? serverTables : fixture.tables;
    if (setup.directory) {
        if (auto openedTables = tables.OpenDirectoryTables(directory); !openedTables)
            return openedTables.error();
    }
    // Every column test runs under both readers.
    const auto readers = makeDirectoryLookup(directory, tables, setup.reader.value_or(readerUnderTest()));
    FailingLookup lookup(*readers, setup.failingView);
    Localizer strings;
    auto installPath = setup.installPath;
    if (!installPath) installPath = [path = fixture.path]() -> Result<QString> { return path + "/install/"; };

    const QDir outputFolder(fixture.folder.filePath(QStringLiteral("out")));
    outputFolder.mkpath(QStringLiteral("."));
    if (setup.prepare) setup.prepare(outputFolder.path());
    const QString logPath = fixture.folder.filePath(QStringLiteral("errors.log"));
    MemoryOutput rows;
    ExportRun run(ExportEnvironment{tables,
                                    lookup,
                                    strings,
                                    logPath,
                                    QStringLiteral("brindle"),
                                    {},
                                    installPath,
                                    setup.notifier,
                                    {},
                                    100,
                                    &rows},
                  ExportOptions{outputFolder.filePath(setup.outputName), QuoteRule::WhenNeeded,
                                Separator::Commas, entries});
    QuietObserver observer;
    if (auto summary = run.run(observer); !summary) return summary.error();
    if (!rows.committed || rows.rows.isEmpty()) return Error{QStringLiteral("the run left no header")};

    ExportOutput result;
    result.lines = rows.rows.mid(1);
    result.log = QString::fromLocal8Bit(fileContents(logPath));
    for (const QString& name : outputFolder.entryList(QDir::Files | QDir::Hidden))
        result.copies.insert(name, fileContents(outputFolder.filePath(name)));
    result.strays =
        QDir(fixture.folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const char* own : {"host", "out", "errors.log", "errors.log.lock"}) result.strays.removeAll(own);
    return result;
}

}  // namespace brindle::testing
