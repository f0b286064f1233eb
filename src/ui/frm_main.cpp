#include "ui/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "export/catalogue.h"
#include "export/export_options.h"
#include "localize/localizer.h"
#include "localize/string_ids.h"
#include "platform/fixed_paths.h"
#include "platform/notifier.h"
#include "platform/stop_signals.h"
#include "startup/startup.h"
#include "ui/frm_about.h"
#include "ui/frm_help.h"
#include "update/home_page.h"
#include "update/test_script.h"
#include "update/update_check.h"

namespace brindle {

namespace {

// The subscriber types with the host's type codes; nothing reads the codes yet.
struct SubscriberType {
    int textId;
    int typeCode;
};
constexpr SubscriberType kSubscriberTypes[] = {{105, 0}, {106, 1}, {107, 5}, {108, 7}, {109, 2}, {110, 8}};

}  // namespace

FrmMain::FrmMain(RunConfig config, Localizer& strings, Notifier& notifier)
    : m_config(std::move(config)), m_strings(strings), m_notifier(notifier) {
    setObjectName(QStringLiteral("frmMain"));
    buildControls();
    buildMenus();
    connect(m_cmdStart, &QPushButton::clicked, this, &FrmMain::cmdStart_Click);
    connect(m_cmdExit, &QPushButton::clicked, this, &FrmMain::ExitApplication);
    connect(m_mnuExit, &QAction::triggered, this, &FrmMain::ExitApplication);
    connect(m_about, &QAction::triggered, this, &FrmMain::mnuAbout_Click);
    connect(m_help, &QAction::triggered, this, &FrmMain::mnuHelp_Click);
    connect(m_mnuCheckForUpdatedVersion, &QAction::triggered, this,
            &FrmMain::mnuCheckForUpdatedVersion_Click);
    connect(m_cmdBrowse, &QPushButton::clicked, this, &FrmMain::cmdBrowse_Click);
    connect(m_txtOutputPath, &QLineEdit::textChanged, this, &FrmMain::offerTheChoicesOfThePath);
}

void FrmMain::setLanguages(Languages* languages) {
    m_languages = languages;
    m_about->setEnabled(languages != nullptr && !m_running);
    m_help->setEnabled(languages != nullptr);
}

void FrmMain::mnuHelp_Click() {
    if (!m_frmHelp) {
        m_frmHelp = new FrmHelp(m_strings, programFolder(), this);
        m_frmHelp->setWindowModality(Qt::ApplicationModal);
    }
    m_frmHelp->show();
    m_frmHelp->raise();
    m_frmHelp->activateWindow();
}

void FrmMain::mnuCheckForUpdatedVersion_Click() {
    m_mnuCheckForUpdatedVersion->setEnabled(false);
    setCursor(Qt::WaitCursor);
    checkForUpdatedVersion_Foreground(UpdateCheckOptions::forSite(m_config.toolsSite), m_notifier,
                                      &QDesktopServices::openUrl);
    unsetCursor();
    m_mnuCheckForUpdatedVersion->setEnabled(true);
}

void FrmMain::mnuAbout_Click() {
    if (!m_languages) return;
    if (!m_frmAbout) m_frmAbout = new FrmAbout(m_strings, *m_languages, this);
    m_frmAbout->exec();
}

FrmMain::~FrmMain() = default;

bool FrmMain::Form_Load() {
    frmMain_Auto_Init();
    StartupOutcome outcome = runStartup(m_config, m_strings, m_notifier);
    if (outcome.refusal) {
        if (!outcome.refusal->message.isEmpty()) m_notifier.inform(outcome.refusal->message);
        return false;
    }
    m_session = std::move(outcome.session);
    m_lblSubscriberCount->setText(QString::number(m_session->subscriberCount));
    m_progressBar->setRange(0, m_session->progressMaximum());
    fillDataItems();
    LaunchTestScript(homePageAddress(m_config.toolsSite), QString());
    return true;
}

void FrmMain::frmMain_Auto_Init() {
    const auto text = [this](int id) { return m_strings.myLoadResString(id); };
    setWindowTitle(text(string_id::kCaption));
    m_frameProgress->setTitle(text(string_id::kProgress));
    m_frameUseQuotes->setTitle(text(string_id::kUseQuotes));
    m_optNeverUseQuotes->setText(text(string_id::kQuotesNever));
    m_optQuotesWhenCommaPresent->setText(text(string_id::kQuotesWhenComma));
    m_optQuotesAlways->setText(text(string_id::kQuotesAlways));
    m_frameWriteDataTo->setTitle(text(string_id::kWriteDataTo));
    m_cmdBrowse->setText(text(string_id::kBrowse));
    m_txtOutputPath->setText(defaultOutputPath(m_config.homeFolder));
    m_txtOutputPath->setCursorPosition(0);
    m_frameSeperateWith->setTitle(text(string_id::kSeparateDataWith));
    m_optSeperateWithCommas->setText(text(string_id::kSeparateWithCommas));
    m_optSeperateWithTabs->setText(text(string_id::kSeparateWithTabs));
    m_optSeperateWithLineFeeds->setText(text(string_id::kSeparateWithLineFeeds));
    m_frameListBox->setTitle(text(string_id::kDataToInclude));
    m_cmdStart->setText(text(string_id::kStart));
    m_cmdExit->setText(text(string_id::kExit));
    m_label1->setText(text(string_id::kSubscriberCount));
    m_mnuFile->setTitle(text(string_id::kFileMenu));
    m_mnuExit->setText(text(string_id::kExit));
    m_mnuTextEncoding->setTitle(text(string_id::kTextEncoding));
    for (const EncodingEntry& entry : std::as_const(m_encodings)) entry.action->setText(text(entry.textId));
    m_menuHelp->setTitle(text(string_id::kHelp));
    m_help->setText(text(string_id::kHelp));
    m_about->setText(text(string_id::kAbout));
    {
        const QSignalBlocker quiet(m_cmbSubscriberType);
        m_cmbSubscriberType->clear();
        for (const SubscriberType& type : kSubscriberTypes)
            m_cmbSubscriberType->addItem(text(type.textId), type.typeCode);
    }
    m_frameSubscriberType->setTitle(text(string_id::kSubscribersToDump));
    m_mnuCheckForUpdatedVersion->setText(text(string_id::kCheckForUpdatedVersion));
    // Selecting the first entry runs the type box's handler, once per refill.
    m_cmbSubscriberType->setCurrentIndex(0);
    cmbSubscriberType_Click();
}

void FrmMain::fillDataItems() {
    m_lstDataItems->addItems(dataItemListEntries(m_strings));
}

void FrmMain::ExitApplication() {
    // A run pumps the window's events between subscribers; it sees the request there and
    // stops, and its caller ends the program.
    if (m_running) {
        m_exitRequested = true;
        return;
    }
    QApplication::exit(m_exitCode);
}

void FrmMain::stopBySignal(int signal) {
    m_exitCode = 128 + signal;
    m_stopReason =
        QStringLiteral("the export was stopped by %1 before its end").arg(stop_signals::name(signal));
    ExitApplication();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    event->accept();
    ExitApplication();
}

}  // namespace brindle
