#include "support/column_export.h"

#include <QDir>
#include <QFile>

#include "export/directory/make_lookup.h"
#include "export/export_run.h"
#include "localize/localizer.h"
#include "support/delimited_reader.h"
#include "support/files.h"
#include "support/opened_host.h"
#include "support/run_config.h"

namespace brindle::testing {

namespace {

// Answers one view with a failure, the way a server does when the view is missing or the
// statement cannot be run, and passes every other look-up on.
class FailingLookup final : public DirectoryLookup {
public:
    FailingLookup(DirectoryLookup& inner, QString failingView) : m_inner(inner), m_failingView(failingView) {}
    Result<Recordset> rows(const ViewKey& key, const QVariant& value) override {
        if (key.view == m_failingView) return failure();
        return m_inner.rows(key, value);
    }
    Result<Recordset> mailbox(const QVariant& subscriberId) override {
        if (m_failingView == QLatin1String("mailbox")) return failure();
        return m_inner.mailbox(subscriberId);
    }

private:
    Error failure() const { return failedLookUp(m_failingView); }

    DirectoryLookup& m_inner;
    QString m_failingView;
};

class QuietObserver final : public RunObserver {
public:
    void progressed(int) override {}
    std::optional<QString> stopRequested() override { return std::nullopt; }
};

}  // namespace

Error failedLookUp(const QString& view) {
    return Error{QStringLiteral("Invalid object name '%1'.").arg(view), 208,
                 QStringLiteral("Microsoft OLE DB Provider for ODBC Drivers")};
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
    InstallPathSource installPath = setup.installPath;
    if (!installPath) {
        const QString install = fixture.path + QStringLiteral("/install/");
        installPath = [install]() -> Result<QString> { return install; };
    }

    const QString outputFolder = fixture.folder.filePath(QStringLiteral("out"));
    QDir().mkpath(outputFolder);
    if (setup.prepare) setup.prepare(outputFolder);
    const QString outputPath = outputFolder + QLatin1Char('/') + setup.outputName;
    const QString logPath = fixture.folder.filePath(QStringLiteral("errors.log"));
    ExportRun run(ExportEnvironment{tables,
                                    lookup,
                                    strings,
                                    logPath,
                                    QStringLiteral("brindle"),
                                    {},
                                    installPath,
                                    setup.notifier,
                                    {},
                                    100},
                  ExportOptions{outputPath, QuoteRule::WhenNeeded, Separator::Commas, entries});
    QuietObserver observer;
    if (auto summary = run.run(observer); !summary) return summary.error();

    QFile output(outputPath);
    QFile log(logPath);
    if (!output.open(QIODevice::ReadOnly) || !log.open(QIODevice::ReadOnly)) {
        return Error{QStringLiteral("the export left no output or no log")};
    }
    auto records = readDelimited(QString::fromLocal8Bit(output.readAll()), QLatin1Char(','));
    if (!records) return records.error();
    if (records->isEmpty()) return Error{QStringLiteral("the output has no header")};
    ExportOutput result;
    result.header = records->takeFirst();
    result.lines = records.value();
    result.log = QString::fromLocal8Bit(log.readAll());
    for (const QString& name : QDir(outputFolder).entryList(QDir::Files | QDir::Hidden)) {
        if (name == setup.outputName) continue;
        result.copies.insert(name, fileContents(QDir(outputFolder).filePath(name)));
    }
    result.strays =
        QDir(fixture.folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const char* own : {"host", "out", "errors.log", "errors.log.lock"}) result.strays.removeAll(own);
    return result;
}

}  // namespace brindle::testing
