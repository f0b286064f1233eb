#include "ui/frm_about.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>

#include "export/columns/field_text.h"
#include "localize/language_codes.h"
#include "localize/languages.h"
#include "localize/localizer.h"
#include "localize/string_ids.h"
#include "platform/version.h"
#include "ui/language_fonts.h"
#include "ui/twips.h"

namespace brindle {

namespace {

QLabel* label(QWidget* parent, const char* name, const QRect& geometry) {
    auto* created = new QLabel(parent);
    created->setObjectName(QLatin1String(name));
    created->setGeometry(geometry);
    return created;
}

// A 48-pixel logo drawn by `draw` on a transparent ground.
template <typename Draw>
QPixmap drawnLogo(Draw draw) {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return pixmap;
}

// The maker's mark: a ring with a stylised K.
void drawMakerLogo(QPainter& painter) {
    painter.setPen(QPen(QColor(0x1f, 0x4e, 0x79), 4));
    painter.drawEllipse(QRectF(4, 4, 40, 40));
    painter.setPen(QPen(QColor(0xc0, 0x50, 0x20), 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(18, 13), QPointF(18, 35));
    painter.drawLine(QPointF(19, 24), QPointF(31, 13));
    painter.drawLine(QPointF(21, 23), QPointF(31, 35));
}

// The host's mark: sound waves leaving a point.
void drawHostLogo(QPainter& painter) {
    const QColor green(0x2e, 0x7d, 0x32);
    painter.setBrush(green);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(6, 20, 8, 8));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(green, 3, Qt::SolidLine, Qt::RoundCap));
    for (int ring = 1; ring <= 3; ++ring) {
        const qreal radius = 8.0 * ring + 4;
        painter.drawArc(QRectF(10 - radius, 24 - radius, 2 * radius, 2 * radius), -50 * 16, 100 * 16);
    }
}

}  // namespace

FrmAbout::FrmAbout(Localizer& strings, Languages& languages, QWidget* parent)
    : QDialog(parent), m_strings(strings), m_languages(languages) {
    setObjectName(QStringLiteral("frmAbout"));
    setFixedSize(twipsToPixels(5880), twipsToPixels(3960));

    auto* kestromLogo = label(this, "picKestromLogo", twipRect(240, 240, 720, 720));
    kestromLogo->setPixmap(drawnLogo(drawMakerLogo));
    auto* halvernLogo = label(this, "picHalvernLogo", twipRect(240, 1200, 720, 720));
    halvernLogo->setPixmap(drawnLogo(drawHostLogo));

    m_lblKestromAddress1 = label(this, "lblKestromAddress1", twipRect(1200, 240, 4400, 285));
    QFont title = m_lblKestromAddress1->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.25);
    m_lblKestromAddress1->setFont(title);
    m_lblKestromAddress2 = label(this, "lblKestromAddress2", twipRect(1200, 600, 4400, 255));
    m_lblKestromAddress3 = label(this, "lblKestromAddress3", twipRect(1200, 855, 4400, 255));
    m_lblVersionTitle = label(this, "lblVersionTitle_1", twipRect(1200, 1260, 900, 255));
    QFont bold = m_lblVersionTitle->font();
    bold.setBold(true);
    m_lblVersionTitle->setFont(bold);
    m_lblVersion = label(this, "lblVersion", twipRect(2100, 1260, 3400, 255));
    m_lblChangeLanguage = label(this, "lblChangeLanguage", twipRect(1200, 1680, 4400, 255));
    // A link: pure blue, underlined, and the hand over it.
    QFont link = m_lblChangeLanguage->font();
    link.setUnderline(true);
    m_lblChangeLanguage->setFont(link);
    m_lblChangeLanguage->setStyleSheet(QStringLiteral("color: #0000ff;"));
    m_lblChangeLanguage->setCursor(Qt::PointingHandCursor);
    m_lblChangeLanguage->installEventFilter(this);
    m_lblCopyright = label(this, "lblCopyright", twipRect(240, 2280, 5400, 255));
    m_lblTrademark = label(this, "lblTrademark", twipRect(240, 2580, 5400, 255));
    for (QLabel* wrapped : {m_lblCopyright, m_lblTrademark}) wrapped->setWordWrap(true);

    m_cmdOK = new QPushButton(this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setGeometry(twipRect(4440, 3240, 1215, 375));
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &FrmAbout::cmdOK_Click);

    m_mnuSelectLanguage = new QMenu(this);
    m_mnuSelectLanguage->setObjectName(QStringLiteral("mnuSelectLanguage"));
}

void FrmAbout::frmAbout_Auto_Init() {
    const auto text = [this](int id) { return m_strings.myLoadResString(id); };
    setWindowTitle(text(string_id::kCaption));
    m_cmdOK->setText(text(string_id::kOk));
    m_lblKestromAddress2->setText(text(string_id::kMakerStreet));
    m_lblKestromAddress3->setText(text(string_id::kMakerTown));
    m_lblChangeLanguage->setText(text(string_id::kChangeLanguage));
    m_lblTrademark->setText(text(string_id::kTrademark));
    m_lblCopyright->setText(text(string_id::kCopyright));
    m_lblKestromAddress1->setText(text(string_id::kMakerName));
    m_lblVersionTitle->setText(text(string_id::kVersion));
    m_mnuSelectLanguage->setTitle(text(string_id::kSelectLanguage));
}

void FrmAbout::Form_Load() {
    frmAbout_Auto_Init();
    // " 1.2 Build 45": the numbers with the sign position a number gets when it is written.
    m_lblVersion->setText(numberWithSignPosition(kVersionMajor) + u'.' + QString::number(kVersionMinor) +
                          m_strings.myLoadResString(string_id::kBuild) +
                          numberWithSignPosition(kVersionRevision));
    m_languages.InitalizeLanguages();
    applyLanguageFontToAllForms(m_languages.CurrentLangId());
    fillLanguageMenu();
}

void FrmAbout::fillLanguageMenu() {
    m_mnuSelectLanguage->clear();
    const QStringList& codes = m_languages.LanguageCodes();
    const auto addEntry = [this](int index, const QString& caption, const QString& tag) {
        QAction* entry = m_mnuSelectLanguage->addAction(caption);
        entry->setObjectName(QStringLiteral("mnuLanguageList_%1").arg(index));
        entry->setData(tag);
        connect(entry, &QAction::triggered, this, [this, index] { mnuLanguageList_Click(index); });
    };
    if (codes.size() > 1) {
        for (int i = 0; i < codes.size(); ++i) {
            addEntry(i, LanguageNameFromCode(codes[i]), numberWithSignPosition(LangIdFromCode(codes[i])));
        }
    } else {
        addEntry(0, m_strings.myLoadResString(string_id::kNoLanguages), QStringLiteral("1033"));
    }
}

void FrmAbout::lblChangeLanguage_Click() {
    m_mnuSelectLanguage->popup(QCursor::pos());
}

void FrmAbout::mnuLanguageList_Click(int index) {
    const QList<QAction*> entries = m_mnuSelectLanguage->actions();
    if (index < 0 || index >= entries.size()) return;
    switchLanguage(m_languages, entries[index]->data().toString().trimmed().toInt());
    fillLanguageMenu();
}

void FrmAbout::cmdOK_Click() {
    hide();
}

void FrmAbout::showEvent(QShowEvent* event) {
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
    }
    QDialog::showEvent(event);
}

void FrmAbout::closeEvent(QCloseEvent* event) {
    // Closed, not hidden: the next showing loads the window again.
    m_loaded = false;
    QDialog::closeEvent(event);
}

bool FrmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_lblChangeLanguage && event->type() == QEvent::MouseButtonRelease) {
        lblChangeLanguage_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace brindle
