#pragma once

#include <QList>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "export/directory/make_lookup.h"
#include "export/export_run.h"
#include "localize/localizer.h"
#include "support/column_export.h"
#include "support/run_config.h"

namespace brindle::testing {

class RecordingObserver final : public RunObserver {
public:
    void progressed(int value) override { values << value; }
    std::optional<QString> stopRequested() override { return std::nullopt; }
    QList<int> values;
};

// A host opened as start-up opens it; runs exports to out.csv and errors.log beside it unless a
// test changes the run's environment or options.
class ExportFixture {
public:
    using Change = std::function<void(ExportEnvironment&, ExportOptions&)>;

    explicit ExportFixture(const fixture::HostBuilder& host) {
        auto opened = openHost(host);
        if (!opened) qFatal("%s", qPrintable(opened.error().message));
        m_host = std::move(opened).value();
    }

    QString path(const QString& name) const { return m_host->folder.filePath(name); }

    Result<ExportSummary> run(const QStringList& entries, const Change& change = {},
                              RunObserver* observer = nullptr, const Localizer& strings = Localizer()) {
        const auto lookup = makeDirectoryLookup(*m_host->connection, m_host->tables, readerUnderTest());
        ExportEnvironment environment{m_host->tables, *lookup, strings, path("errors.log"), "brindle"};
        environment.progressMaximum = 100;
        ExportOptions options{path("out.csv"), QuoteRule::WhenNeeded, Separator::Commas, entries};
        if (change) change(environment, options);
        RecordingObserver quiet;
        return ExportRun(std::move(environment), std::move(options)).run(observer ? *observer : quiet);
    }

private:
    std::unique_ptr<OpenedHost> m_host;
};

}  // namespace brindle::testing
