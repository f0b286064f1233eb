#pragma once

#include <QDialog>

class QLabel;
class QMenu;
class QPushButton;

namespace brindle {

class Languages;
class Localizer;

// The About window: the program's name and version, its maker's lines, two logos, and the
// only place where the user picks the interface language ("Change Language" opens a pop-up
// menu of the packs beside the program). OK hides the window; closing it unloads it, so that
// the next showing loads it again (captions, version, languages).
class FrmAbout : public QDialog {
    Q_OBJECT

public:
    FrmAbout(Localizer& strings, Languages& languages, QWidget* parent = nullptr);

    // Applies every caption from the resource strings; called by name on a language switch.
    Q_INVOKABLE void frmAbout_Auto_Init();

    void lblChangeLanguage_Click();
    void mnuLanguageList_Click(int index);
    void cmdOK_Click();

    QMenu* languageMenu() const { return m_mnuSelectLanguage; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void fillLanguageMenu();

    Localizer& m_strings;
    Languages& m_languages;
    bool m_loaded = false;

    QPushButton* m_cmdOK = nullptr;
    QLabel* m_lblVersion = nullptr;
    QLabel* m_lblVersionTitle = nullptr;
    QLabel* m_lblChangeLanguage = nullptr;
    QLabel* m_lblKestromAddress1 = nullptr;
    QLabel* m_lblKestromAddress2 = nullptr;
    QLabel* m_lblKestromAddress3 = nullptr;
    QLabel* m_lblCopyright = nullptr;
    QLabel* m_lblTrademark = nullptr;
    QMenu* m_mnuSelectLanguage = nullptr;
};

}  // namespace brindle
