// The help window offscreen: which page of its folder it opens.
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include "localize/localizer.h"
#include "support/files.h"
#include "support/screenshots.h"
#include "ui/frm_help.h"

using namespace brindle;

class HelpWindowTest : public QObject {
    Q_OBJECT

private slots:
    // Each opening chooses and reads the page anew: the window is first opened in English, then
    // in the language of the row, then once more after the page it shows has changed.
    void opensThePageOfTheLanguageInUse_data() {
        QTest::addColumn<int>("langId");
        QTest::addColumn<QLocale>("userLocale");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QString>("expected");  // empty: none, and the window says what is missing
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const QStringList both{"Brindle.htm", "Brindle_DEU.htm"};
        QTest::addRow("German chosen and its page present") << 1031 << english << both << "Brindle_DEU.htm";
        QTest::addRow("no language chosen yet and a German user")
            << 0 << QLocale(QLocale::German, QLocale::Germany) << both << "Brindle_DEU.htm";
        QTest::addRow("French without a French page") << 1036 << english << both << "Brindle.htm";
        QTest::addRow("a language without a code") << 9999 << english << both << "Brindle.htm";
        QTest::addRow("the German page named in other letter case")
            << 1031 << english << QStringList{"Brindle.htm", "brindle_deu.HTM"} << "brindle_deu.HTM";
        QTest::addRow("neither page") << 1031 << english << QStringList{"Brindle_FRA.htm"} << "";
    }
    void opensThePageOfTheLanguageInUse() {
        QFETCH(int, langId);
        QFETCH(QLocale, userLocale);
        QFETCH(QStringList, pages);
        QFETCH(QString, expected);
        QTemporaryDir folder;
        for (const QString& page : pages)
            QVERIFY(testing::writeFile(folder.filePath(page), "<p>This is " + page.toUtf8() + ".</p>"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Localizer strings;
        strings.setCurrentLangId(1033);
        FrmHelp window(strings, folder.path());
        const auto reopen = [&window] {
            window.close();
            window.show();
            return window.browserHelp()->toPlainText();
        };
        QCOMPARE(reopen().contains("This is Brindle.htm."), pages.contains("Brindle.htm"));
        QLocale::setDefault(userLocale);
        strings.setCurrentLangId(langId);
        const QString text = reopen();
        if (expected.isEmpty()) {
            const bool named = text.contains("Brindle.htm") && text.contains("Brindle_DEU.htm");
            QVERIFY2(named && text.contains(folder.path()) && !text.contains("This is"), qPrintable(text));
        } else {
            if (langId == 1031) QVERIFY(testing::saveScreenshot(window, "help"));
            QCOMPARE(window.browserHelp()->source(), QUrl::fromLocalFile(folder.filePath(expected)));
            QVERIFY(text.contains("This is " + expected + "."));
            QVERIFY(testing::writeFile(folder.filePath(expected), "<p>Changed.</p>"));
            QCOMPARE(reopen(), QString("Changed."));
        }
    }
};

QTEST_MAIN(HelpWindowTest)
#include "test_help_window.moc"
