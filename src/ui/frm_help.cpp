#include "ui/frm_help.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QScreen>
#include <QShowEvent>
#include <QTextBrowser>
#include <QUrl>

#include "localize/language_codes.h"
#include "localize/localizer.h"
#include "localize/string_ids.h"
#include "ui/twips.h"

namespace brindle {

namespace {

const QString kDefaultPage = QStringLiteral("Brindle.htm");

constexpr int kOpeningWidth = 10800;
constexpr int kOpeningHeight = 9000;
constexpr int kMinimumWidth = 2500;
constexpr int kMinimumHeight = 2400;
constexpr int kSideMargin = 100;
constexpr int kTop = 1;
// Of the 400 twips the window's height keeps free below the browser, 300 were its title bar,
// which Qt does not count: the rest is the bottom margin.
constexpr int kHeightLeftOver = 400 - 300;

// The page of that name in the folder: the exact name first, else one whose name differs only
// in letter case, as the pages may have been copied from a system that ignores it. Empty when
// the folder holds no such file.
QString pageIn(const QString& folder, const QString& name) {
    const QDir dir(folder);
    if (QFileInfo(dir.filePath(name)).isFile()) return dir.absoluteFilePath(name);
    const QStringList sameName = dir.entryList({name}, QDir::Files, QDir::Name);
    return sameName.isEmpty() ? QString() : dir.absoluteFilePath(sameName.first());
}

}  // namespace

FrmHelp::FrmHelp(const Localizer& strings, QString helpFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_strings(strings), m_helpFolder(std::move(helpFolder)) {
    setObjectName(QStringLiteral("frmHelp"));
    setMinimumSize(twipsToPixels(kMinimumWidth), twipsToPixels(kMinimumHeight));
    resize(twipsToPixels(kOpeningWidth), twipsToPixels(kOpeningHeight));

    m_browserHelp = new QTextBrowser(this);
    m_browserHelp->setObjectName(QStringLiteral("browserHelp"));
    m_browserHelp->setOpenLinks(true);
    m_browserHelp->setOpenExternalLinks(true);
    Form_Resize();
}

void FrmHelp::frmHelp_Auto_Init() {
    setWindowTitle(m_strings.myLoadResString(string_id::kCaption));
}

void FrmHelp::Form_Load() {
    frmHelp_Auto_Init();
    // Before a language is chosen the user's own one decides.
    const qint32 langId =
        m_strings.CurrentLangId() != 0 ? m_strings.CurrentLangId() : userDefaultLangId(QLocale());
    const QString translated = QStringLiteral("Brindle_%1.htm").arg(GetLanguageCode(langId).trimmed());
    QString page = pageIn(m_helpFolder, translated);
    if (page.isEmpty()) page = pageIn(m_helpFolder, kDefaultPage);
    if (page.isEmpty()) {
        showMissingPage(translated, kDefaultPage);
        return;
    }
    const QUrl url = QUrl::fromLocalFile(page);
    // The same page again is read again, as a fresh opening should.
    if (m_browserHelp->source().adjusted(QUrl::RemoveFragment) == url) m_browserHelp->reload();
    m_browserHelp->setSource(url);
    m_browserHelp->clearHistory();
}

void FrmHelp::showMissingPage(const QString& translated, const QString& page) {
    const QString folder = QDir::toNativeSeparators(QDir(m_helpFolder).absolutePath());
    m_browserHelp->setHtml(
        QStringLiteral("<h3>The help page cannot be shown</h3>"
                       "<p>The help page <b>%1</b> is missing from the folder <b>%2</b>.</p>"
                       "<p>The page for the language in use, %3, is not there either.</p>"
                       "<p>The help pages belong in that folder, beside the program.</p>")
            .arg(page.toHtmlEscaped(), folder.toHtmlEscaped(), translated.toHtmlEscaped()));
    m_browserHelp->clearHistory();
}

void FrmHelp::Form_Resize() {
    // Both margins are rounded alike so that they stay equal.
    const int margin = twipsToPixels(kSideMargin);
    m_browserHelp->setGeometry(margin, twipsToPixels(kTop), width() - 2 * margin,
                               height() - twipsToPixels(kHeightLeftOver));
}

void FrmHelp::showEvent(QShowEvent* event) {
    // A window restored from an icon is not a new opening.
    if (!event->spontaneous()) {
        Form_Load();
        placeOverOwner();
    }
    QWidget::showEvent(event);
}

void FrmHelp::placeOverOwner() {
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QScreen* screen = owner ? owner->screen() : this->screen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    // This window gets the frame its owner has; before it is shown its own is not known.
    const QMargins frame = owner ? QMargins(owner->geometry().left() - owner->frameGeometry().left(),
                                            owner->geometry().top() - owner->frameGeometry().top(),
                                            owner->frameGeometry().right() - owner->geometry().right(),
                                            owner->frameGeometry().bottom() - owner->geometry().bottom())
                                 : QMargins();
    QRect outer = QRect(QPoint(), size()).marginsAdded(frame);
    outer.setSize(outer.size().boundedTo(available.size()));
    outer.moveCenter(owner ? owner->frameGeometry().center() : available.center());
    outer.moveLeft(qBound(available.left(), outer.left(), available.right() + 1 - outer.width()));
    outer.moveTop(qBound(available.top(), outer.top(), available.bottom() + 1 - outer.height()));
    setGeometry(outer.marginsRemoved(frame));
}

void FrmHelp::keyPressEvent(QKeyEvent* event) {
    // Esc closes it, as it closes a dialog, also where no window manager gives it a close button.
    if (event->matches(QKeySequence::Cancel)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FrmHelp::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

}  // namespace brindle
