// The help window offscreen: which page it opens, its links, its layout, and the pages the
// build puts beside the program.
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include "export/catalogue.h"
#include "localize/localizer.h"
#include "ui/frm_help.h"

using namespace brindle;

namespace {

// A page that names itself, links to the other page, and has a target far below its link.
void writePage(const QTemporaryDir& folder, const QString& name) {
    QFile file(folder.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QString filler;
    for (int i = 0; i < 200; ++i) filler += QStringLiteral("<p>line %1</p>").arg(i);
    file.write(QStringLiteral("<html><body><p>This is %1.</p><p><a href=\"#far\">Down</a> "
                              "<a href=\"Brindle_DEU.htm\">Deutsch</a></p>%2<h2><a name=\"far\">Far</a></h2>"
                              "</body></html>")
                   .arg(name, filler)
                   .toUtf8());
}

void clickLink(QTextBrowser* browser, const QString& text) {
    QTextCursor link = browser->document()->find(text);
    QVERIFY2(!link.isNull(), qPrintable(text));
    // Between the link's first two letters: inside it, not on its edge.
    link.setPosition(link.selectionStart() + 1);
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, browser->cursorRect(link).center());
}

QUrl fileIn(const QTemporaryDir& folder, const QString& name) {
    return QUrl::fromLocalFile(QDir(folder.path()).absoluteFilePath(name));
}

// Every anchor name of the document, and every link target.
std::pair<QStringList, QStringList> anchorsAndLinks(const QTextDocument* document) {
    QStringList names, links;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            names << format.anchorNames();
            if (!format.anchorHref().isEmpty()) links << format.anchorHref();
        }
    }
    return {names, links};
}

}  // namespace

class HelpWindowTest : public QObject {
    Q_OBJECT

private:
    QString m_bin = qEnvironmentVariable("BRINDLE_BIN_DIR");

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void opensThePageOfTheLanguageInUse_data() {
        QTest::addColumn<int>("langId");
        QTest::addColumn<QLocale>("userLocale");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QString>("expected");
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const QStringList both{"Brindle.htm", "Brindle_DEU.htm"};
        QTest::addRow("German chosen and its page present") << 1031 << english << both << "Brindle_DEU.htm";
        QTest::addRow("no language chosen yet and a German user")
            << 0 << QLocale(QLocale::German, QLocale::Germany) << both << "Brindle_DEU.htm";
        QTest::addRow("French without a French page") << 1036 << english << both << "Brindle.htm";
        QTest::addRow("German without a German page")
            << 1031 << english << QStringList{"Brindle.htm"} << "Brindle.htm";
        QTest::addRow("a language without a code") << 9999 << english << both << "Brindle.htm";
        QTest::addRow("the German page named in other letter case")
            << 1031 << english << QStringList{"Brindle.htm", "brindle_deu.HTM"} << "brindle_deu.HTM";
    }
    void opensThePageOfTheLanguageInUse() {
        QFETCH(int, langId);
        QFETCH(QLocale, userLocale);
        QFETCH(QStringList, pages);
        QFETCH(QString, expected);
        QTemporaryDir folder;
        for (const QString& page : pages) writePage(folder, page);
        QLocale::setDefault(userLocale);
        Localizer strings;
        strings.setCurrentLangId(langId);
        FrmHelp window(strings, folder.path());
        window.show();
        QCOMPARE(window.browserHelp()->source(), fileIn(folder, expected));
        QVERIFY(window.browserHelp()->toPlainText().contains("This is " + expected + "."));
        QCOMPARE(window.windowTitle(), QString("Brindle"));
    }

    void saysWhichPageIsMissingAndWhereItWasLookedFor() {
        QTemporaryDir folder;
        writePage(folder, "Brindle_FRA.htm");
        Localizer strings;
        strings.setCurrentLangId(1031);
        FrmHelp window(strings, folder.path());
        window.show();
        const QString text = window.browserHelp()->toPlainText();
        QVERIFY2(text.contains("Brindle.htm") && text.contains("Brindle_DEU.htm"), qPrintable(text));
        QVERIFY2(text.contains(QDir::toNativeSeparators(folder.path())), qPrintable(text));
        QVERIFY(!text.contains("This is"));
    }

    void eachOpeningChoosesAndReadsThePageAnew() {
        QTemporaryDir folder;
        writePage(folder, "Brindle.htm");
        writePage(folder, "Brindle_DEU.htm");
        Localizer strings;
        strings.setCurrentLangId(1031);
        FrmHelp window(strings, folder.path());
        const auto reopen = [&window] {
            window.close();
            window.show();
            return window.browserHelp()->toPlainText();
        };
        QVERIFY(reopen().contains("This is Brindle_DEU.htm."));
        strings.setCurrentLangId(1033);
        QVERIFY(reopen().contains("This is Brindle.htm."));
        QFile changed(folder.filePath("Brindle.htm"));
        QVERIFY(changed.open(QIODevice::WriteOnly) && changed.write("<p>Changed.</p>") > 0);
        changed.close();
        QCOMPARE(reopen(), QString("Changed."));
        QVERIFY(changed.remove());
        QVERIFY(reopen().contains("is missing"));
        writePage(folder, "Brindle.htm");
        QVERIFY(reopen().contains("This is Brindle.htm."));
    }

    void theLanguageSwitchFindsTheCaptionRoutineByName() {
        Localizer strings;
        FrmHelp window(strings, QDir::tempPath());
        const QByteArray routine = (window.objectName() + "_Auto_Init()").toLatin1();
        QCOMPARE(routine, QByteArray("frmHelp_Auto_Init()"));
        QVERIFY(window.metaObject()->indexOfMethod(routine) >= 0);
        QVERIFY(QMetaObject::invokeMethod(&window, "frmHelp_Auto_Init"));
        QCOMPARE(window.windowTitle(), QString("Brindle"));
    }

    void anAnchorLinkScrollsWithinTheDocumentAndAReopeningStartsAtTheTop() {
        QTemporaryDir folder;
        writePage(folder, "Brindle.htm");
        Localizer strings;
        FrmHelp window(strings, folder.path());
        window.resize(400, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTextBrowser* browser = window.browserHelp();
        QCOMPARE(browser->verticalScrollBar()->value(), 0);
        clickLink(browser, "Down");
        QCOMPARE(browser->source().adjusted(QUrl::RemoveFragment), fileIn(folder, "Brindle.htm"));
        QVERIFY(browser->toPlainText().contains("This is Brindle.htm."));
        QVERIFY(browser->verticalScrollBar()->value() > 0);
        window.close();
        window.show();
        QCOMPARE(browser->verticalScrollBar()->value(), 0);
    }

    void aRelativeLinkOpensTheOtherPage() {
        QTemporaryDir folder;
        writePage(folder, "Brindle.htm");
        writePage(folder, "Brindle_DEU.htm");
        Localizer strings;
        FrmHelp window(strings, folder.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        clickLink(window.browserHelp(), "Deutsch");
        QCOMPARE(window.browserHelp()->source(), fileIn(folder, "Brindle_DEU.htm"));
        QVERIFY(window.browserHelp()->toPlainText().contains("This is Brindle_DEU.htm."));
    }

    // 2500 by 2400 twips at least; 100 twips either side, 400 twips less height than the window.
    void keepsItsMinimumSizeAndTheBrowsersMargins_data() {
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QRect>("browser");
        QTest::addRow("1000 by 1000 twips") << QSize(67, 67) << QSize(167, 160) << QRect(7, 0, 153, 153);
        QTest::addRow("wide but too low") << QSize(600, 67) << QSize(600, 160) << QRect(7, 0, 586, 153);
        QTest::addRow("above the minimum") << QSize(600, 400) << QSize(600, 400) << QRect(7, 0, 586, 393);
    }
    void keepsItsMinimumSizeAndTheBrowsersMargins() {
        QFETCH(QSize, requested);
        QFETCH(QSize, window);
        QFETCH(QRect, browser);
        Localizer strings;
        FrmHelp help(strings, QDir::tempPath());
        help.show();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        help.resize(requested);
        QCOMPARE(help.size(), window);
        QCOMPARE(help.browserHelp()->geometry(), browser);
    }

    void eachBuiltPageNamesEveryItemAndLinksOnlyToWhatExists_data() {
        QTest::addColumn<int>("langId");
        QTest::addRow("English") << 1033;
        QTest::addRow("German") << 1031;
    }
    void eachBuiltPageNamesEveryItemAndLinksOnlyToWhatExists() {
        QFETCH(int, langId);
        if (!QFile::exists(m_bin + "/Brindle_DEU.htm")) QSKIP("the help pages have not been built");
        Localizer strings;
        strings.setCurrentLangId(langId);
        FrmHelp window(strings, m_bin);
        window.show();
        const QTextDocument* document = window.browserHelp()->document();
        const QString text = document->toPlainText();
        QVERIFY(!text.contains(QChar::ReplacementCharacter));
        // The English labels on both pages: the command line knows no others.
        for (const DataItem& item : dataItems()) {
            for (const QString& name :
                 {strings.builtInText(item.labelId), item.columns.first(), item.columns.last()})
                QVERIFY2(text.contains(name), qPrintable(name));
        }
        const auto [names, links] = anchorsAndLinks(document);
        QVERIFY(links.size() > 8);
        for (const QString& link : links) {
            if (link.startsWith('#')) {
                QVERIFY2(names.contains(link.mid(1)), qPrintable(link));
            } else if (!link.startsWith("http")) {
                QVERIFY2(QFile::exists(QDir(m_bin).filePath(link)), qPrintable(link));
            }
        }
    }

    void savesAScreenshotOfTheEnglishPage() {
        if (!QFile::exists(m_bin + "/Brindle.htm")) QSKIP("the help pages have not been built");
        // The program's interface font.
        QFont font = QApplication::font();
        font.setPointSize(8);
        QApplication::setFont(font);
        Localizer strings;
        strings.setCurrentLangId(1033);
        FrmHelp window(strings, m_bin);
        window.resize(760, 640);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.browserHelp()->documentTitle(), QString("Brindle Help"));
        const QString folder =
            qEnvironmentVariable("BRINDLE_SCREENSHOT_DIR", QDir::currentPath() + "/screenshots");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(window.grab().save(QDir(folder).filePath("help.png")));
        window.browserHelp()->scrollToAnchor("items");
        QVERIFY(window.grab().save(QDir(folder).filePath("help-items.png")));
    }
};

QTEST_MAIN(HelpWindowTest)
#include "test_help_window.moc"
