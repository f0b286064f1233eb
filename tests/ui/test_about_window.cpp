// The About window, its language menu and the switch of every open window, offscreen, with
// the packs the build makes.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "hostbuilder/host_builder.h"
#include "hostbuilder/sample_host.h"
#include "localize/language_pack.h"
#include "localize/languages.h"
#include "localize/localizer.h"
#include "support/recording_notifier.h"
#include "support/run_config.h"
#include "ui/frm_about.h"
#include "ui/frm_main.h"

using namespace brindle;
using brindle::fixture::HostBuilder;

namespace {

QString builtPack(const QString& code) {
    return qEnvironmentVariable("BRINDLE_BIN_DIR") + "/Brindle_" + code + ".dll";
}

// A program folder holding copies of the built packs under the names given.
void putPacks(const QTemporaryDir& folder, const QStringList& codes) {
    for (const QString& code : codes) {
        const QString source = builtPack(code == "ENX" ? "ENU" : code);
        QVERIFY2(QFile::copy(source, folder.filePath("brindle_" + code + ".dll")), qPrintable(source));
    }
}

QString packText(const QString& code, int id) {
    const auto pack = loadLanguagePack(builtPack(code));
    return pack ? pack->text(id).value_or(QString()) : QString("(no pack)");
}

QString screenshotPath(const QString& name) {
    const QString folder =
        qEnvironmentVariable("BRINDLE_SCREENSHOT_DIR", QDir::currentPath() + "/screenshots");
    QDir().mkpath(folder);
    return QDir(folder).filePath(name);
}

}  // namespace

class AboutWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_host;
    QTemporaryDir m_home;

    RunConfig config() const { return testing::runConfigFor(m_host.path(), m_home.path()); }

    // A loaded main window, its About window, and the program's languages.
    struct Program {
        testing::RecordingNotifier notifier;
        Localizer strings{&notifier};
        QTemporaryDir folder;
        std::unique_ptr<Languages> languages;
        std::unique_ptr<FrmMain> window;
        FrmAbout* about = nullptr;

        Program(const RunConfig& config, const QStringList& packs, int userDefault) {
            putPacks(folder, packs);
            languages =
                std::make_unique<Languages>(strings, folder.path(), "brindle", userDefault, loadLanguagePack);
            window = std::make_unique<FrmMain>(config, strings, notifier);
            window->setLanguages(languages.get());
            if (!window->Form_Load()) qFatal("the main window did not load");
            about = new FrmAbout(strings, *languages, window.get());
            about->show();
        }
        QList<std::pair<QString, QString>> menu() const {
            QList<std::pair<QString, QString>> entries;
            for (QAction* entry : about->languageMenu()->actions())
                entries.append({entry->text(), entry->data().toString()});
            return entries;
        }
    };

private slots:
    void initTestCase() {
        if (!QFile::exists(builtPack("DEU"))) QSKIP("the language packs have not been built");
        HostBuilder host;
        host.subscriber("jsmith");
        host.subscriber("akim");
        QVERIFY(host.write(m_host.path()).ok());
    }

    void listsThePacksWithTheirNamesAndTags_data() {
        using Menu = QList<std::pair<QString, QString>>;
        QTest::addColumn<QStringList>("packs");
        QTest::addColumn<Menu>("expected");
        QTest::addRow("German and French")
            << QStringList{"DEU", "FRA"} << Menu{{"German (Germany)", " 1031"}, {"French (France)", " 1036"}};
        QTest::addRow("one pack") << QStringList{"DEU"} << Menu{{"No languages loaded", "1033"}};
        QTest::addRow("no pack") << QStringList{} << Menu{{"No languages loaded", "1033"}};
        QTest::addRow("text telephones")
            << QStringList{"ENX", "FRA"}
            << Menu{{"English (TDD/TTY)", " 33801"}, {"French (France)", " 1036"}};
    }
    void listsThePacksWithTheirNamesAndTags() {
        using Menu = QList<std::pair<QString, QString>>;
        QFETCH(QStringList, packs);
        QFETCH(Menu, expected);
        Program program(config(), packs, 1033);
        QCOMPARE(program.menu(), expected);
        QCOMPARE(program.about->findChild<QLabel*>("lblVersion")->text(), QString(" 1.0 Build 0"));
    }

    void theOnlyEntryOfOnePackSwitchesToEnglish() {
        Program program(config(), {"DEU"}, 1031);
        QCOMPARE(program.window->findChild<QPushButton*>("cmdExit")->text(), QString("Exit"));
        QCOMPARE(program.strings.myLoadResString(19), packText("DEU", 19));
        program.about->mnuLanguageList_Click(0);
        QCOMPARE(program.strings.CurrentLangId(), 1033);
        QCOMPARE(program.strings.myLoadResString(19), QString("Exit"));
        QCOMPARE(program.window->findChild<QPushButton*>("cmdExit")->text(), QString("Exit"));
    }

    void switchingToGermanRecaptionsEveryOpenWindow() {
        Program program(config(), {"DEU", "FRA"}, 1033);
        program.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(program.window.get()));
        program.about->mnuLanguageList_Click(0);
        QCOMPARE(program.strings.CurrentLangId(), 1031);
        const QString exit = packText("DEU", 19);
        QVERIFY(exit != "Exit");
        QCOMPARE(program.window->findChild<QPushButton*>("cmdExit")->text(), exit);
        QCOMPARE(program.window->windowTitle(), packText("DEU", 53));
        QCOMPARE(program.about->findChild<QPushButton*>("cmdOK")->text(), packText("DEU", 38));
        QCOMPARE(program.about->findChild<QLabel*>("lblChangeLanguage")->text(), packText("DEU", 11));
        QVERIFY(program.window->grab().save(screenshotPath("main-window-deu.png")));
        QVERIFY(program.about->grab().save(screenshotPath("about.png")));
        program.about->mnuLanguageList_Click(1);
        QCOMPARE(program.window->findChild<QPushButton*>("cmdExit")->text(), packText("FRA", 19));
        QVERIFY(program.window->grab().save(screenshotPath("main-window-fra.png")));
    }

    // The list keeps the texts it was filled with; an entry whose label changed matches no item.
    void afterASwitchEntriesWhoseLabelChangedExportNothing() {
        Program program(config(), {"DEU", "FRA"}, 1033);
        program.about->mnuLanguageList_Click(0);
        auto* list = program.window->findChild<QListWidget*>("lstDataItems");
        QCOMPARE(list->item(1)->text(), QString("First Name"));
        QVERIFY(packText("DEU", 23) != "First Name" && packText("DEU", 28) != "Last Name");
        list->item(1)->setSelected(true);
        list->item(2)->setSelected(true);
        const QString output = QDir(m_home.path()).filePath("switched.csv");
        program.window->findChild<QLineEdit*>("txtOutputPath")->setText(output);
        program.window->cmdStart_Click();
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("\r\n\r\n\r\n"));
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
        QVERIFY(program.window->findChild<QPushButton*>("cmdStart")->font().family() != family);
    }

    // A switch under a running export would change the lines' columns part way.
    void aboutIsDisabledWhileAnExportRuns() {
        QTemporaryDir bigHost;
        HostBuilder builder;
        fixture::generateSample(builder, 3000, 5);
        QVERIFY(builder.write(bigHost.path()).ok());
        Program program(testing::runConfigFor(bigHost.path(), m_home.path()), {"DEU", "FRA"}, 1033);
        auto* about = program.window->findChild<QAction*>("About");
        QVERIFY(about->isEnabled());
        auto* list = program.window->findChild<QListWidget*>("lstDataItems");
        for (int row = 0; row < 29; ++row) list->item(row)->setSelected(true);
        program.window->findChild<QLineEdit*>("txtOutputPath")
            ->setText(QDir(m_home.path()).filePath("big.csv"));
        bool enabledDuringRun = true;
        QTimer::singleShot(0, program.window.get(), [&] { enabledDuringRun = about->isEnabled(); });
        program.window->cmdStart_Click();
        QVERIFY(!enabledDuringRun);
        QVERIFY(about->isEnabled());
    }
};

QTEST_MAIN(AboutWindowTest)
#include "test_about_window.moc"
