// The main window's controls and menus, placed where the window was designed to have them.
#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "localize/string_ids.h"
#include "ui/frm_main.h"
#include "ui/idle_progress_bar.h"
#include "ui/twips.h"

namespace brindle {

namespace {

template <typename Widget>
Widget* place(QWidget* parent, const char* name, QRect geometry) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QLatin1StringView(name));
    widget->setGeometry(geometry);
    return widget;
}

}  // namespace

void FrmMain::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(client);

    m_frameWriteDataTo = place<QGroupBox>(client, "frameWriteDataTo", twipRect(60, 120, 5055, 735));
    m_txtOutputPath = place<QLineEdit>(m_frameWriteDataTo, "txtOutputPath", twipRect(60, 360, 3795, 285));
    m_cmdBrowse = place<QPushButton>(m_frameWriteDataTo, "cmdBrowse", twipRect(3900, 360, 1095, 315));

    m_frameSeperateWith = place<QGroupBox>(client, "frameSeperateWith", twipRect(60, 960, 5055, 675));
    m_optSeperateWithCommas =
        place<QRadioButton>(m_frameSeperateWith, "optSeperateWithCommas", twipRect(120, 300, 1575, 195));
    m_optSeperateWithTabs =
        place<QRadioButton>(m_frameSeperateWith, "optSeperateWithTabs", twipRect(1740, 300, 1275, 195));
    m_optSeperateWithLineFeeds =
        place<QRadioButton>(m_frameSeperateWith, "optSeperateWithLineFeeds", twipRect(3120, 300, 1815, 195));
    m_optSeperateWithCommas->setChecked(true);

    m_frameUseQuotes = place<QGroupBox>(client, "frameUseQuotes", twipRect(60, 1740, 5055, 1095));
    m_optQuotesAlways =
        place<QRadioButton>(m_frameUseQuotes, "optQuotesAlways", twipRect(120, 300, 4275, 195));
    m_optQuotesWhenCommaPresent =
        place<QRadioButton>(m_frameUseQuotes, "optQuotesWhenCommaPresent", twipRect(120, 540, 4635, 195));
    m_optNeverUseQuotes =
        place<QRadioButton>(m_frameUseQuotes, "optNeverUseQuotes", twipRect(120, 780, 4635, 195));
    m_optQuotesWhenCommaPresent->setChecked(true);

    m_frameListBox = place<QGroupBox>(client, "frameListBox", twipRect(60, 2940, 5055, 2715));
    m_lstDataItems = place<QListWidget>(m_frameListBox, "lstDataItems", twipRect(120, 300, 4815, 2310));
    m_lstDataItems->setSelectionMode(QAbstractItemView::MultiSelection);
    m_lstDataItems->setSortingEnabled(false);

    m_frameProgress = place<QGroupBox>(client, "frameProgress", twipRect(60, 5760, 5115, 615));
    m_progressBar = place<IdleProgressBar>(m_frameProgress, "ProgressBar", twipRect(60, 240, 4995, 255));
    m_progressBar->setRange(0, 0);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);

    m_cmdStart = place<QPushButton>(client, "cmdStart", twipRect(60, 6480, 1095, 495));
    m_cmdExit = place<QPushButton>(client, "cmdExit", twipRect(4020, 6480, 1095, 495));

    // Filled and kept up to date, but never shown: it would cover the two top frames.
    m_frameSubscriberType = place<QGroupBox>(client, "frameSubscriberType", twipRect(60, 90, 5025, 885));
    m_cmbSubscriberType =
        place<QComboBox>(m_frameSubscriberType, "cmbSubscriberType", twipRect(90, 240, 4875, 315));
    m_label1 = place<QLabel>(m_frameSubscriberType, "Label1", twipRect(60, 600, 1695, 195));
    m_lblSubscriberCount =
        place<QLabel>(m_frameSubscriberType, "lblSubscriberCount", twipRect(1860, 600, 855, 195));
    m_lblSubscriberCount->setText(QStringLiteral("0"));
    m_frameSubscriberType->setVisible(false);
}

void FrmMain::buildMenus() {
    m_mnuFile = menuBar()->addMenu(QString());
    m_mnuFile->setObjectName(QStringLiteral("mnuFile"));
    m_mnuTextEncoding = m_mnuFile->addMenu(QString());
    m_mnuTextEncoding->setObjectName(QStringLiteral("mnuTextEncoding"));
    auto* encodings = new QActionGroup(this);
    const struct {
        const char* name;
        TextEncoding encoding;
        int textId;
    } entries[] = {{"mnuEncodingUtf8", TextEncoding::Utf8, string_id::kEncodingUtf8},
                   {"mnuEncodingUtf8Bom", TextEncoding::Utf8WithMark, string_id::kEncodingUtf8WithMark},
                   {"mnuEncodingWindows1252", TextEncoding::Windows1252, string_id::kEncodingWindows1252}};
    for (const auto& [name, encoding, textId] : entries) {
        QAction* entry = encodings->addAction(QString());
        entry->setObjectName(QLatin1StringView(name));
        entry->setCheckable(true);
        entry->setChecked(encoding == TextEncoding::Utf8);
        m_mnuTextEncoding->addAction(entry);
        m_encodings.append({entry, encoding, textId});
    }
    m_mnuFile->addSeparator();
    m_mnuExit = m_mnuFile->addAction(QString());
    m_mnuExit->setObjectName(QStringLiteral("mnuExit"));

    m_menuHelp = menuBar()->addMenu(QString());
    m_menuHelp->setObjectName(QStringLiteral("menuHelp"));
    m_help = m_menuHelp->addAction(QString());
    m_help->setObjectName(QStringLiteral("Help"));
    m_menuHelp->addSeparator()->setObjectName(QStringLiteral("seperator"));
    m_about = m_menuHelp->addAction(QString());
    m_about->setObjectName(QStringLiteral("About"));
    m_mnuCheckForUpdatedVersion = m_menuHelp->addAction(QString());
    m_mnuCheckForUpdatedVersion->setObjectName(QStringLiteral("mnuCheckForUpdatedVersion"));

    // Help and About need the program's folder and languages (setLanguages()).
    for (QAction* action : {m_help, m_about}) action->setEnabled(false);
}

}  // namespace brindle
