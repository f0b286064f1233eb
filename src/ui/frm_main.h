#pragma once

#include <QDeadlineTimer>
#include <QList>
#include <QMainWindow>
#include <functional>
#include <memory>

#include "export/export_options.h"
#include "startup/run_config.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace brindle {

class FrmAbout;
class FrmHelp;
class Languages;
class Localizer;
class Notifier;
struct ExportOptions;
struct Session;

// The main window: the export's options, the list of data items, progress, Start and Exit.
// A thin shell over the engine: it reads its controls into options, hands them on and shows
// what comes back. Controls carry the object names the rest of the program and the tests use.
class FrmMain : public QMainWindow {
    Q_OBJECT

public:
    // Messages and questions go to `notifier` (message boxes in the program).
    FrmMain(RunConfig config, Localizer& strings, Notifier& notifier);
    ~FrmMain() override;

    // The start-up of the window: captions, the host gates, the directory, the count and
    // the list of data items. False when start-up refused; the refusal has been shown and
    // the program should end.
    bool Form_Load();

    // Applies every caption from the resource strings, resets the output path and refills
    // the subscriber-type box. Called by name on a language switch.
    Q_INVOKABLE void frmMain_Auto_Init();

    // The program's languages, for the About window; without them About stays disabled.
    void setLanguages(Languages* languages);

    // Shows the About window modally, creating it the first time.
    void mnuAbout_Click();

    // Shows the help window, modally, creating it the first time.
    void mnuHelp_Click();

    // Asks the tools web site whether a newer version exists, with the hourglass meanwhile;
    // the item cannot be chosen again until the answer is in.
    void mnuCheckForUpdatedVersion_Click();

    // Ends the program at once; a run in progress stops before its next subscriber and
    // leaves no partial output file.
    void ExitApplication();

    // Runs one export with the window's options; Start is disabled until it ends.
    void cmdStart_Click();

    // A stop signal: acts as Exit does, and the program ends with 128 plus its number.
    void stopBySignal(int signal);

    // Lets the user pick the output file and probes the name without harm: an existing file
    // keeps its contents. A name under four characters, or one that cannot be written, is
    // refused with "Invalid file name!" and the old path stays; so does a cancelled choice.
    void cmdBrowse_Click();

    // Where Browse asks for a name (a file dialog); tests put their own answer there. An empty
    // answer is a cancel.
    using FileChooser =
        std::function<QString(const QString& title, const QString& suggestion, const QString& kinds)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // Keeps the window at its one width and at least its designed height, and lets the list
    // of data items take every extra line. A maximized window becomes a normal one at the top
    // left, as tall as the screen.
    void Form_Resize();

    // Reads the subscriber table again and shows its count (with the sign position) and
    // whether Start can be pressed; runs after a language switch refills the type box.
    void cmbSubscriberType_Click();

    Session* session() const { return m_session.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void fillTheScreenHeight();
    // While the window manager may still undo the screen's fill, puts it back.
    void holdTheScreenFill();
    void offerTheChoicesOfThePath();
    void buildControls();
    void buildMenus();
    void fillDataItems();
    void setOptionsEnabled(bool enabled);
    void openForViewing(const QString& path);
    ExportOptions exportOptions() const;
    class WindowObserver;

    RunConfig m_config;
    Localizer& m_strings;
    Notifier& m_notifier;
    Languages* m_languages = nullptr;
    FileChooser m_chooseFile;
    FrmAbout* m_frmAbout = nullptr;
    FrmHelp* m_frmHelp = nullptr;
    std::unique_ptr<Session> m_session;
    bool m_running = false;
    bool m_exitRequested = false;
    bool m_shownBefore = false;
    QDeadlineTimer m_holdScreenFill;  // until then a move or resize is undone by the screen's fill
    QString m_stopReason;
    int m_exitCode = 0;

    QGroupBox* m_frameWriteDataTo = nullptr;
    QLineEdit* m_txtOutputPath = nullptr;
    QPushButton* m_cmdBrowse = nullptr;
    QGroupBox* m_frameSeperateWith = nullptr;
    QRadioButton* m_optSeperateWithCommas = nullptr;
    QRadioButton* m_optSeperateWithTabs = nullptr;
    QRadioButton* m_optSeperateWithLineFeeds = nullptr;
    QGroupBox* m_frameUseQuotes = nullptr;
    QRadioButton* m_optQuotesAlways = nullptr;
    QRadioButton* m_optQuotesWhenCommaPresent = nullptr;
    QRadioButton* m_optNeverUseQuotes = nullptr;
    QGroupBox* m_frameListBox = nullptr;
    QListWidget* m_lstDataItems = nullptr;
    QGroupBox* m_frameProgress = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QPushButton* m_cmdStart = nullptr;
    QPushButton* m_cmdExit = nullptr;
    QGroupBox* m_frameSubscriberType = nullptr;
    QComboBox* m_cmbSubscriberType = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_lblSubscriberCount = nullptr;

    QMenu* m_mnuFile = nullptr;
    QAction* m_mnuExit = nullptr;
    QMenu* m_mnuTextEncoding = nullptr;
    struct EncodingEntry {
        QAction* action;
        TextEncoding encoding;
        int textId;
    };
    QList<EncodingEntry> m_encodings;  // the Text encoding menu's entries, in menu order
    QMenu* m_menuHelp = nullptr;
    QAction* m_help = nullptr;
    QAction* m_about = nullptr;
    QAction* m_mnuCheckForUpdatedVersion = nullptr;
};

}  // namespace brindle
