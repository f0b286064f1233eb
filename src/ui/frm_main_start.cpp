// The Start command: reads the window's options, runs one export and reports its end.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "export/columns/field_text.h"
#include "export/export_options.h"
#include "localize/localizer.h"
#include "localize/string_ids.h"
#include "platform/notifier.h"
#include "startup/startup.h"
#include "ui/frm_main.h"

namespace brindle {

namespace {

constexpr int kRepaintIntervalMs = 40;

}  // namespace

// Keeps the window alive while the export runs on the window's own thread: shows progress and
// lets the window repaint and take clicks every few hundredths of a second.
class FrmMain::WindowObserver final : public RunObserver {
public:
    explicit WindowObserver(FrmMain& window) : m_window(window) {}

    void progressed(int value) override { m_window.m_progressBar->setValue(value); }

    std::optional<QString> stopRequested() override {
        // At once before the first subscriber, so that the window shows the run has begun.
        if (!m_sincePump.isValid() || m_sincePump.elapsed() >= kRepaintIntervalMs) {
            QCoreApplication::processEvents();
            m_sincePump.restart();
        }
        if (!m_window.m_exitRequested) return std::nullopt;
        if (!m_window.m_stopReason.isEmpty()) return m_window.m_stopReason;
        return stopReason(QStringLiteral("the window's Exit"));
    }

private:
    FrmMain& m_window;
    QElapsedTimer m_sincePump;
};

ExportOptions FrmMain::exportOptions() const {
    ExportOptions options;
    options.outputPath = QFileInfo(m_txtOutputPath->text()).absoluteFilePath();
    options.format = formatOfPath(options.outputPath);
    options.quoting = m_optQuotesAlways->isChecked()     ? QuoteRule::Always
                      : m_optNeverUseQuotes->isChecked() ? QuoteRule::Never
                                                         : QuoteRule::WhenNeeded;
    options.separator = m_optSeperateWithCommas->isChecked()      ? Separator::Commas
                        : m_optSeperateWithLineFeeds->isChecked() ? Separator::LineFeeds
                                                                  : Separator::Tabs;
    for (const EncodingEntry& entry : m_encodings) {
        if (entry.action->isChecked()) options.encoding = entry.encoding;
    }
    for (int row = 0; row < m_lstDataItems->count(); ++row) {
        if (m_lstDataItems->item(row)->isSelected())
            options.selectedEntries << m_lstDataItems->item(row)->text();
    }
    return options;
}

void FrmMain::cmdStart_Click() {
    if (m_running || !m_session) return;
    const ExportOptions options = exportOptions();
    if (options.selectedEntries.isEmpty()) {
        m_notifier.inform(m_strings.myLoadResString(string_id::kNothingSelected));
        return;
    }

    m_running = true;
    m_cmdStart->setEnabled(false);
    // No language switch under a run: the lines would change their columns part way. The
    // options are read once at the start, so changing them could not take effect either.
    m_about->setEnabled(false);
    setOptionsEnabled(false);
    m_progressBar->setValue(0);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    WindowObserver observer(*this);
    const auto summary = m_session->runExport(options, observer, &m_notifier);
    QApplication::restoreOverrideCursor();
    m_cmdStart->setEnabled(true);
    m_running = false;
    m_about->setEnabled(m_languages != nullptr);
    setOptionsEnabled(true);

    if (m_exitRequested) {
        QApplication::exit(m_exitCode);
        return;
    }
    if (!summary) {
        m_notifier.inform(summary.error().message);
        return;
    }
    const QString complete = m_strings.myLoadResString(string_id::kOutputComplete) +
                             numberWithSignPosition(summary->errorCount) +
                             m_strings.myLoadResString(string_id::kErrorsEncountered);
    if (m_notifier.confirm(complete, Notifier::Answers::OkCancel)) openForViewing(summary->logPath);
    if (m_notifier.confirm(QStringLiteral("View the CSV file now?"), Notifier::Answers::YesNo)) {
        openForViewing(summary->outputPath);
    }
}

}  // namespace brindle
