// The help window offscreen: which page it opens, and the pages the build puts beside the
// program.
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

#include "export/catalogue.h"
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
            for (const QString& named : {QString("Brindle.htm"), QString("Brindle_DEU.htm"), folder.path()})
                QVERIFY2(text.contains(named), qPrintable(text));
            QVERIFY(!text.contains("This is"));
        } else {
            QCOMPARE(window.browserHelp()->source(), QUrl::fromLocalFile(folder.filePath(expected)));
            QVERIFY(text.contains("This is " + expected + "."));
            QVERIFY(testing::writeFile(folder.filePath(expected), "<p>Changed.</p>"));
            QCOMPARE(reopen(), QString("Changed."));
        }
    }

    void eachBuiltPageNamesEveryItemAndLinksOnlyToWhatExists_data() {
        QTest::addColumn<int>("langId");
        QTest::addRow("English") << 1033;
        QTest::addRow("German") << 1031;
    }
    void eachBuiltPageNamesEveryItemAndLinksOnlyToWhatExists() {
        QFETCH(int, langId);
        const QString bin = qEnvironmentVariable("BRINDLE_BIN_DIR");
        if (!QFile::exists(bin + "/Brindle_DEU.htm")) QSKIP("the help pages have not been built");
        QFont font = QApplication::font();  // the program's interface font, for the picture
        font.setPointSize(8);
        QApplication::setFont(font);
        Localizer strings;
        strings.setCurrentLangId(langId);
        FrmHelp window(strings, bin);
        window.resize(760, 640);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (langId == 1033) QVERIFY(testing::saveScreenshot(window, "help"));
        const QTextDocument* document = window.browserHelp()->document();
        const QString text = document->toPlainText();
        QVERIFY(!text.contains(QChar::ReplacementCharacter));
        // The English labels on both pages: the command line knows no others.
        for (const DataItem& item : dataItems()) {
            for (const QString& name :
                 {strings.builtInText(item.labelId), item.columns.first(), item.columns.last()})
                QVERIFY2(text.contains(name), qPrintable(name));
        }
        QStringList anchors, links;
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                anchors << it.fragment().charFormat().anchorNames();
                links << it.fragment().charFormat().anchorHref();
            }
        }
        links.removeAll(QString());
        QVERIFY(links.size() > 8);
        for (const QString& link : links) {
            if (link.startsWith('#')) QVERIFY2(anchors.contains(link.mid(1)), qPrintable(link));
            if (!link.startsWith('#') && !link.startsWith("http"))
                QVERIFY2(QFile::exists(QDir(bin).filePath(link)), qPrintable(link));
        }
    }
};

QTEST_MAIN(HelpWindowTest)
#include "test_help_window.moc"
