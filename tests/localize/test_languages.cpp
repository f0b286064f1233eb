// Which packs lie beside the program, which one is loaded, and what languages are called.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "localize/language_codes.h"
#include "localize/languages.h"
#include "localize/localizer.h"

using namespace brindle;

namespace {

// A pack that says which file it came from for every text.
class NamedPack final : public StringSource {
public:
    explicit NamedPack(QString file) : m_file(std::move(file)) {}
    std::optional<QString> text(int) const override { return m_file; }

private:
    QString m_file;
};

}  // namespace

class LanguagesTest : public QObject {
    Q_OBJECT

private slots:
    void findsPacksAndLoadsTheOneOfTheLanguage_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("userDefault");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("loaded");
        QTest::addRow("German and French, in name order")
            << QStringList{"Brindle_FRA.dll", "Brindle_DEU.dll", "Brindle.exe"} << 1031
            << QStringList{"DEU", "FRA"} << "Brindle_DEU.dll";
        QTest::addRow("a name in other letter case is a pack")
            << QStringList{"brindle_deu.DLL", "Brindle_FRA.dll"} << 1031 << QStringList{"deu", "FRA"}
            << "brindle_deu.DLL";
        QTest::addRow("another extension is none")
            << QStringList{"Brindle_DEU.dat"} << 1031 << QStringList{""} << "";
        QTest::addRow("another program's pack is none")
            << QStringList{"Other_DEU.dll"} << 1031 << QStringList{""} << "";
        QTest::addRow("no pack") << QStringList{} << 1033 << QStringList{""} << "";
        QTest::addRow("no pack of the language")
            << QStringList{"Brindle_FRA.dll"} << 1041 << QStringList{"FRA"} << "";
        QTest::addRow("text telephones") << QStringList{"Brindle_ENX.dll", "Brindle_ENU.dll"} << 33801
                                         << QStringList{"ENU", "ENX"} << "Brindle_ENX.dll";
    }
    void findsPacksAndLoadsTheOneOfTheLanguage() {
        QFETCH(QStringList, files);
        QFETCH(int, userDefault);
        QFETCH(QStringList, codes);
        QFETCH(QString, loaded);
        QTemporaryDir folder;
        for (const QString& file : files) {
            QFile pack(folder.filePath(file));
            QVERIFY(pack.open(QIODevice::WriteOnly));
        }
        Localizer strings;
        Languages languages(strings, folder.path(), "Brindle", userDefault, [](const QString& path) {
            return std::make_unique<NamedPack>(QFileInfo(path).fileName());
        });
        QCOMPARE(strings.CurrentLangId(), 0);
        languages.InitalizeLanguages();
        QCOMPARE(strings.CurrentLangId(), userDefault);
        QCOMPARE(languages.LanguageCodes(), codes);
        QCOMPARE(strings.hasLanguagePack(), !loaded.isEmpty());
        if (!loaded.isEmpty()) QCOMPARE(strings.myLoadResString(51), loaded);
    }

    void aSwitchUnloadsTheOldPackAndLoadsTheNew() {
        QTemporaryDir folder;
        for (const char* file : {"Brindle_DEU.dll", "Brindle_FRA.dll"})
            QFile(folder.filePath(file)).open(QIODevice::WriteOnly);
        Localizer strings;
        QStringList opened;
        Languages languages(strings, folder.path(), "Brindle", 1031, [&opened](const QString& path) {
            opened << QFileInfo(path).fileName();
            return std::make_unique<NamedPack>(QFileInfo(path).fileName());
        });
        languages.InitalizeLanguages();
        languages.switchTo(1036);
        QCOMPARE(strings.CurrentLangId(), 1036);
        QCOMPARE(strings.myLoadResString(51), QString("Brindle_FRA.dll"));
        languages.switchTo(1033);
        QVERIFY(!strings.hasLanguagePack());
        QCOMPARE(strings.myLoadResString(51), QString("Start"));
        QCOMPARE(opened, (QStringList{"Brindle_DEU.dll", "Brindle_FRA.dll"}));
    }

    void aPackThatCannotBeReadIsNoPack() {
        QTemporaryDir folder;
        QFile(folder.filePath("Brindle_DEU.dll")).open(QIODevice::WriteOnly);
        Localizer strings;
        Languages languages(strings, folder.path(), "Brindle", 1031, [](const QString&) { return nullptr; });
        languages.InitalizeLanguages();
        QVERIFY(!strings.hasLanguagePack());
        QCOMPARE(languages.LanguageCodes(), QStringList{"DEU"});
    }

    void namesLanguages_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addRow("DEU") << "DEU"
                             << "German (Germany)";
        QTest::addRow("FRA") << "FRA"
                             << "French (France)";
        QTest::addRow("ENX") << "ENX"
                             << "English (TDD/TTY)";
        QTest::addRow("lower case is not a code") << "deu"
                                                  << "English (United States)";
        QTest::addRow("KOR is not a pack code") << "KOR"
                                                << "English (United States)";
        QTest::addRow("empty") << ""
                               << "English (United States)";
    }
    void namesLanguages() {
        QFETCH(QString, code);
        QFETCH(QString, name);
        QCOMPARE(LanguageNameFromCode(code), name);
    }

    void nameOfAnUnknownIdIsAnError() { QCOMPARE(GetLanguageName(12345), QString("(error)")); }

    void takesTheUsersLanguageFromTheLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("langId");
        QTest::addRow("C") << "C" << 1033;
        QTest::addRow("POSIX") << "POSIX" << 1033;
        QTest::addRow("German (Germany)") << "de_DE" << 1031;
        QTest::addRow("German (Switzerland)") << "de_CH" << 2055;
        QTest::addRow("French (Canada)") << "fr_CA" << 3084;
        QTest::addRow("Japanese") << "ja_JP" << 1041;
        QTest::addRow("a language without a locale here") << "haw_US" << 1033;
    }
    void takesTheUsersLanguageFromTheLocale() {
        QFETCH(QString, locale);
        QFETCH(int, langId);
        QCOMPARE(userDefaultLangId(QLocale(locale)), langId);
    }

    void eastAsianLanguagesNameTheirFont_data() {
        QTest::addColumn<int>("langId");
        QTest::addColumn<QString>("family");
        QTest::addRow("Korean") << 1042 << QStringLiteral(u"\uAD74\uB9BC");
        QTest::addRow("Chinese, traditional") << 1028 << QStringLiteral(u"\u65B0\u7D30\u660E\u9AD4");
        QTest::addRow("Japanese") << 1041 << QStringLiteral(u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF");
        QTest::addRow("Chinese, simplified") << 2052 << QStringLiteral(u"\u5B8B\u4F53");
        QTest::addRow("German keeps the program's") << 1031 << QString();
    }
    void eastAsianLanguagesNameTheirFont() {
        QFETCH(int, langId);
        QFETCH(QString, family);
        QCOMPARE(languageFontFamily(langId), family);
    }
};

QTEST_GUILESS_MAIN(LanguagesTest)
#include "test_languages.moc"
