#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace brindle {

class Localizer;

// The help window: the help page installed beside the program, in a browser that follows the
// page's own links (external ones open in the desktop's browser). The page is chosen each
// time the window is opened: "Brindle_<CODE>.htm" for the language in use when the folder
// holds it, else "Brindle.htm". Created once and then shown, raised and closed as often as
// the user likes; Esc closes it.
class FrmHelp : public QWidget {
    Q_OBJECT

public:
    FrmHelp(const Localizer& strings, QString helpFolder, QWidget* parent = nullptr);

    // Applies the caption from the resource strings; called by name on a language switch.
    Q_INVOKABLE void frmHelp_Auto_Init();

    QTextBrowser* browserHelp() const { return m_browserHelp; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void Form_Resize();
    // Over the main window and inside its screen, the frame included.
    void placeOverOwner();
    void showMissingPage(const QString& translated, const QString& page);

    const Localizer& m_strings;
    QString m_helpFolder;
    QTextBrowser* m_browserHelp = nullptr;
};

}  // namespace brindle
