// The About window, its language menu and the switch of every open window, offscreen, with
// the packs the build makes.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "localize/language_pack.h"
#include "localize/languages.h"
#include "localize/localizer.h"
#include "support/files.h"
#include "support/recording_notifier.h"
#include "support/run_config.h"
#include "support/screenshots.h"
#include "ui/frm_about.h"
#include "ui/frm_main.h"

using namespace brindle;
using Menu = QList<std::pair<QString, QString>>;

namespace {

QString builtPack(const QString& code) {
    return qEnvironmentVariable("BRINDLE_BIN_DIR") + "/Brindle_" + code + ".dll";
}

// The text of the pack of `code`, or the built-in English one for an empty code.
QString packText(const QString& code, int id) {
    if (code.isEmpty()) return Localizer().myLoadResString(id);
    const auto pack = loadLanguagePack(builtPack(code));
    return pack ? pack->text(id).value_or(QString()) : QString("(no pack)");
}

}  // namespace

class AboutWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_host;
    QTemporaryDir m_home;

    // A loaded main window, its About window shown, and the built packs of `packs` beside the
    // program.
    struct Program {
        testing::RecordingNotifier notifier;
        Localizer strings{&notifier};
        QTemporaryDir folder;
        std::unique_ptr<Languages> languages;
        std::unique_ptr<FrmMain> window;
        FrmAbout* about = nullptr;

        Program(const RunConfig& config, const QStringList& packs, int userDefault) {
            for (const QString& code : packs)
                QFile::copy(builtPack(code), folder.filePath("brindle_" + code + ".dll"));
            languages =
                std::make_unique<Languages>(strings, folder.path(), "brindle", userDefault, loadLanguagePack);
            window = std::make_unique<FrmMain>(config, strings, notifier);
            window->setLanguages(languages.get());
            if (!window->Form_Load()) qFatal("the main window did not load");
            about = new FrmAbout(strings, *languages, window.get());
            about->show();
        }
        template <typename T>
        T* inWindow(const char* name) const {
            return window->findChild<T*>(name);
        }
    };
    RunConfig config() const { return testing::runConfigFor(m_host.path(), m_home.path()); }

private slots:
    void initTestCase() {
        if (!QFile::exists(builtPack("DEU"))) QSKIP("the language packs have not been built");
        fixture::HostBuilder host;
        host.subscriber("jsmith");
        QVERIFY(host.write(m_host.path()).ok());
    }

    void listsThePacksWithTheirNamesAndTags_data() {
        QTest::addColumn<QStringList>("packs");
        QTest::addColumn<Menu>("expected");
        QTest::addRow("German and French")
            << QStringList{"DEU", "FRA"} << Menu{{"German (Germany)", " 1031"}, {"French (France)", " 1036"}};
        QTest::addRow("one pack") << QStringList{"DEU"} << Menu{{"No languages loaded", "1033"}};
    }
    void listsThePacksWithTheirNamesAndTags() {
        QFETCH(QStringList, packs);
        QFETCH(Menu, expected);
        Program program(config(), packs, 1033);
        Menu menu;
        for (QAction* entry : program.about->languageMenu()->actions())
            menu.append({entry->text(), entry->data().toString()});
        QCOMPARE(menu, expected);
        QCOMPARE(program.about->findChild<QLabel*>("lblVersion")->text(), QString(" 1.0 Build 0"));
    }

    void aMenuEntryRecaptionsEveryOpenWindow_data() {
        QTest::addColumn<QStringList>("packs");
        QTest::addColumn<int>("userDefault");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("code");  // of the pack now in use; empty for English
        QTest::addRow("German") << QStringList{"DEU", "FRA"} << 1033 << 0 << "DEU";
        QTest::addRow("French") << QStringList{"DEU", "FRA"} << 1031 << 1 << "FRA";
        QTest::addRow("the only entry of one pack") << QStringList{"DEU"} << 1031 << 0 << "";
    }
    void aMenuEntryRecaptionsEveryOpenWindow() {
        QFETCH(QStringList, packs);
        QFETCH(int, userDefault);
        QFETCH(int, entry);
        QFETCH(QString, code);
        Program program(config(), packs, userDefault);
        QVERIFY(program.strings.myLoadResString(19) != packText(code, 19));
        program.about->mnuLanguageList_Click(entry);
        QCOMPARE(program.inWindow<QPushButton>("cmdExit")->text(), packText(code, 19));
        QCOMPARE(program.window->windowTitle(), packText(code, 53));
        QCOMPARE(program.about->findChild<QPushButton*>("cmdOK")->text(), packText(code, 38));
        QCOMPARE(program.about->findChild<QLabel*>("lblChangeLanguage")->text(), packText(code, 11));
        QVERIFY(testing::saveScreenshot(*program.about, "about"));
    }

    // The list keeps the texts it was filled with; an entry whose label changed matches no item.
    void afterASwitchEntriesWhoseLabelChangedExportNothing() {
        Program program(config(), {"DEU", "FRA"}, 1033);
        program.about->mnuLanguageList_Click(0);
        auto* list = program.inWindow<QListWidget>("lstDataItems");
        QCOMPARE(list->item(1)->text(), QString("First Name"));
        QVERIFY(packText("DEU", 23) != "First Name");
        list->item(1)->setSelected(true);
        const QString output = m_home.filePath("switched.csv");
        program.inWindow<QLineEdit>("txtOutputPath")->setText(output);
        program.window->cmdStart_Click();
        QCOMPARE(testing::fileContents(output), QByteArray("\r\n\r\n"));
    }

    void theUsersJapaneseGivesEveryOpenWindowItsFont() {
        Program program(config(), {"DEU", "FRA"}, 1041);
        const QString family = languageFontFamily(1041);
        for (QWidget* form :
             {static_cast<QWidget*>(program.window.get()), static_cast<QWidget*>(program.about)}) {
            QCOMPARE(form->font().family(), family);
            QCOMPARE(form->findChildren<QLabel*>().first()->font().family(), family);
        }
        program.about->mnuLanguageList_Click(1);
        QVERIFY(program.inWindow<QPushButton>("cmdStart")->font().family() != family);
    }
};

QTEST_MAIN(AboutWindowTest)
#include "test_about_window.moc"
