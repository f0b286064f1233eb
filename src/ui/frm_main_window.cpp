// The main window's side roads: choosing the output file, the window's shape, and the
// subscriber table read again after a language switch.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QUrl>

#include "export/columns/field_text.h"
#include "localize/localizer.h"
#include "localize/string_ids.h"
#include "platform/fixed_paths.h"
#include "platform/notifier.h"
#include "startup/startup.h"
#include "ui/frm_main.h"
#include "ui/twips.h"

namespace brindle {

namespace {

// The window's designed measures, in twips. Its height counts, as on the host platform, the
// title bar, the menu and the borders: 705 twips more than the area below the menu.
constexpr int kWindowWidth = 5280;
constexpr int kMinimumHeight = 6525;
constexpr int kNonClientHeight = 705;
constexpr int kOpeningHeight = 8085;

constexpr int twipsOf(int pixels) {
    return pixels * 15;
}

// Whether `path` can be the output file, found out without harm: an existing regular file is
// opened for appending and closed, unchanged; a new name is created and removed again.
bool probeOutputName(const QString& path) {
    const QFileInfo info(path);
    QFile file(path);
    if (info.exists()) return info.isFile() && file.open(QIODevice::Append);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return false;
    file.close();
    return file.remove();
}

}  // namespace

void FrmMain::cmdBrowse_Click() {
    const QString title = m_strings.myLoadResString(string_id::kSelectLocation);
    // The name's ending decides the kind of file, whichever kind the dialog shows.
    const QString kinds =
        QStringLiteral("Delimited text (*.csv *.txt);;Excel workbook (*.xlsx);;All Files (*)");
    const QString chosen =
        m_chooseFile ? m_chooseFile(title, defaultOutputPath(m_config.homeFolder), kinds)
                     : QFileDialog::getSaveFileName(this, title, defaultOutputPath(m_config.homeFolder),
                                                    kinds, nullptr, QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty()) return;
    if (chosen.size() < 4 || !probeOutputName(chosen)) {
        m_notifier.inform(m_strings.myLoadResString(string_id::kInvalidFileName));
        return;
    }
    m_txtOutputPath->setText(chosen);
}

void FrmMain::Form_Resize() {
    if (isMinimized()) return;
    setFixedWidth(twipsToPixels(kWindowWidth));
    const int menuHeight = menuBar()->height();
    setMinimumHeight(twipsToPixels(kMinimumHeight - kNonClientHeight) + menuHeight);
    const int height = twipsOf(this->height() - menuHeight) + kNonClientHeight;
    // The list takes every line the window gains; what follows it moves down with it.
    const int listHeight = height - 5370;
    m_frameListBox->resize(m_frameListBox->width(), twipsToPixels(listHeight));
    m_lstDataItems->resize(m_lstDataItems->width(), twipsToPixels(listHeight - 405));
    m_frameProgress->move(m_frameProgress->x(), m_frameListBox->geometry().bottom() + 1 + twipsToPixels(105));
    // The bar's designed top lies on its frame's border where the frame's title is taller than
    // the designed one's.
    m_progressBar->move(m_progressBar->x(), qMax(twipsToPixels(240), m_frameProgress->contentsRect().top()));
    const int buttonsTop = twipsToPixels(height - 1200);
    m_cmdStart->move(m_cmdStart->x(), buttonsTop);
    m_cmdExit->move(m_cmdExit->x(), buttonsTop);
    centralWidget()->setFixedHeight(qMax(0, this->height() - menuBar()->height()));
}

void FrmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
    holdTheScreenFill();
}

void FrmMain::showEvent(QShowEvent* event) {
    // The designed height counts the menu bar, whose height is known only once it has its
    // captions and the window is laid out.
    if (!m_shownBefore) {
        m_shownBefore = true;
        layout()->activate();
        resize(twipsToPixels(kWindowWidth),
               twipsToPixels(kOpeningHeight - kNonClientHeight) + menuBar()->height());
    }
    QMainWindow::showEvent(event);
}

void FrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMaximized()) return;
    // A window of one width is never maximized: it goes to the top left, as tall as the screen
    // with its title bar. A window manager puts a window that leaves the maximized state back
    // where it was some time after it is asked to, so for a moment the new place is held.
    m_holdScreenFill = QDeadlineTimer(1000);
    QMetaObject::invokeMethod(this, &QWidget::showNormal, Qt::QueuedConnection);
    QMetaObject::invokeMethod(this, &FrmMain::fillTheScreenHeight, Qt::QueuedConnection);
}

void FrmMain::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    holdTheScreenFill();
}

void FrmMain::holdTheScreenFill() {
    if (!m_holdScreenFill.hasExpired())
        QMetaObject::invokeMethod(this, &FrmMain::fillTheScreenHeight, Qt::QueuedConnection);
}

void FrmMain::fillTheScreenHeight() {
    if (!screen() || isMaximized()) return;
    const QRect available = screen()->availableGeometry();
    const int frameHeight = frameGeometry().height() - height();
    if (frameGeometry().topLeft() != available.topLeft()) move(available.topLeft());
    if (frameGeometry().height() != available.height()) resize(width(), available.height() - frameHeight);
}

void FrmMain::cmbSubscriberType_Click() {
    // The caption routine selects the first entry during start-up too, before there is a
    // window to show anything in.
    if (!isVisible() || !m_session || m_running) return;
    const Result<qint64> recounted = m_session->recountSubscribers();
    if (!recounted) {
        m_notifier.inform(
            QStringLiteral("(error):%1 (%2) in procedure cmbSubscriberType_Click of Form frmMain")
                .arg(recounted.error().number)
                .arg(recounted.error().message));
        return;
    }
    m_progressBar->setValue(0);
    const int count = m_session->progressMaximum();
    m_lblSubscriberCount->setText(numberWithSignPosition(count));
    m_cmdStart->setEnabled(count > 0);
    if (count > 0) m_progressBar->setMaximum(count);
}

void FrmMain::setOptionsEnabled(bool enabled) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_frameSeperateWith, m_frameUseQuotes, m_lstDataItems, m_cmdBrowse,
                                         m_txtOutputPath, m_cmbSubscriberType}) {
        control->setEnabled(enabled);
    }
    if (enabled) offerTheChoicesOfThePath();
}

void FrmMain::offerTheChoicesOfThePath() {
    // A workbook has no separator, quoting or encoding to choose.
    const bool delimited = formatOfPath(m_txtOutputPath->text()) == OutputFormat::Delimited;
    for (QWidget* frame :
         {static_cast<QWidget*>(m_frameSeperateWith), static_cast<QWidget*>(m_frameUseQuotes)})
        frame->setEnabled(delimited && !m_running);
    m_mnuTextEncoding->setEnabled(delimited);
}

void FrmMain::openForViewing(const QString& path) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return;
    m_notifier.inform(QStringLiteral("There is no application here to show %1; open it yourself.").arg(path));
}

}  // namespace brindle
