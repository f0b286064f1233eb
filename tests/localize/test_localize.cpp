// The texts the program shows (a pack's first, the built-in table's behind them), the packs beside
// the program, and what languages are called.
#include <QTemporaryDir>
#include <QTest>

#include "localize/language_codes.h"
#include "localize/languages.h"
#include "localize/localizer.h"
#include "support/files.h"
#include "support/recording_notifier.h"

using namespace brindle;
using brindle::testing::RecordingNotifier;

namespace {

const QString kNotFound = QStringLiteral(
    "error in myLoadResString: The specified resource name cannot be found in the image file.");

// A pack that holds one text.
class OneTextPack final : public StringSource {
public:
    OneTextPack(int id, QString text) : m_id(id), m_text(std::move(text)) {}
    std::optional<QString> text(int id) const override {
        return id == m_id ? std::optional(m_text) : std::nullopt;
    }

private:
    int m_id;
    QString m_text;
};

// Reads an empty file as a pack whose text 51 names the file, and any other as a damaged one.
Languages::PackLoader namedPackLoader() {
    return [](const QString& path) -> std::unique_ptr<StringSource> {
        const QFileInfo file(path);
        if (file.size() > 0) return nullptr;
        return std::make_unique<OneTextPack>(51, file.fileName());
    };
}

}  // namespace

class LocalizeTest : public QObject {
    Q_OBJECT

private slots:
    void takesThePackFirstAndTheTableBehindIt_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("packText");
        QTest::addColumn<int>("asked");
        QTest::addColumn<QString>("expected");  // "!": none, reported
        QTest::addRow("the pack's text") << 51 << "D\u00e9marrer" << 51 << "D\u00e9marrer";
        QTest::addRow("an ID the pack lacks") << 3 << "Kennung" << 57 << "Time of Last Call";
        QTest::addRow("an empty pack text") << 39 << "" << 39 << "Output complete.  ";
        QTest::addRow("empty in the pack, in no table") << 80 << "" << 80 << "!";
        QTest::addRow("a negative ID") << 0 << "" << -1 << "!";
        QTest::addRow("past the last built-in ID") << 0 << "" << 129 << "!";
        QTest::addRow("in the pack only") << 80 << "Extra" << 80 << "Extra";
        QTest::addRow("1199 characters kept") << 17 << QString(1199, u'a') << 17 << QString(1199, u'a');
        QTest::addRow("1200 characters cut") << 17 << QString(1200, u'b') << 17 << QString(1199, u'b');
    }
    void takesThePackFirstAndTheTableBehindIt() {
        QFETCH(int, id);
        QFETCH(QString, packText);
        QFETCH(int, asked);
        QFETCH(QString, expected);
        RecordingNotifier notifier;
        Localizer strings(&notifier);
        const QString builtIn = strings.builtInText(asked);
        notifier.messages.clear();
        strings.setLanguagePack(std::make_unique<OneTextPack>(id, packText));
        QCOMPARE(strings.myLoadResString(asked), expected == "!" ? QString() : expected);
        QCOMPARE(notifier.messages, expected == "!" ? QStringList{kNotFound} : QStringList());
        QCOMPARE(strings.builtInText(asked), builtIn);
    }

    void findsPacksAndLoadsTheOneOfTheLanguage_data() {
        QTest::addColumn<QStringList>("files");  // "!" at the end: a damaged pack
        QTest::addColumn<int>("userDefault");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("loaded");
        QTest::addRow("German and French, in name order")
            << QStringList{"Brindle_FRA.dll", "Brindle_DEU.dll", "Brindle.exe"} << 1031
            << QStringList{"DEU", "FRA"} << "Brindle_DEU.dll";
        QTest::addRow("a name in other letter case is a pack")
            << QStringList{"brindle_deu.DLL", "Brindle_FRA.dll"} << 1031 << QStringList{"deu", "FRA"}
            << "brindle_deu.DLL";
        QTest::addRow("another extension or program is none")
            << QStringList{"Brindle_DEU.dat", "Other_DEU.dll"} << 1031 << QStringList{""} << "";
        QTest::addRow("no pack of the language")
            << QStringList{"Brindle_FRA.dll"} << 1041 << QStringList{"FRA"} << "";
        QTest::addRow("a damaged pack is none")
            << QStringList{"Brindle_DEU.dll!"} << 1031 << QStringList{"DEU"} << "";
        QTest::addRow("text telephones") << QStringList{"Brindle_ENX.dll", "Brindle_ENU.dll"} << 33801
                                         << QStringList{"ENU", "ENX"} << "Brindle_ENX.dll";
    }
    void findsPacksAndLoadsTheOneOfTheLanguage() {
        QFETCH(QStringList, files);
        QFETCH(int, userDefault);
        QFETCH(QStringList, codes);
        QFETCH(QString, loaded);
        QTemporaryDir folder;
        for (QString file : files) {
            const QByteArray content = file.endsWith(u'!') ? "damaged" : "";
            QVERIFY(testing::writeFile(folder.filePath(file.remove(u'!')), content));
        }
        Localizer strings;
        Languages languages(strings, folder.path(), "Brindle", userDefault, namedPackLoader());
        languages.InitalizeLanguages();
        QCOMPARE(languages.CurrentLangId(), userDefault);
        QCOMPARE(languages.LanguageCodes(), codes);
        QCOMPARE(strings.hasLanguagePack(), !loaded.isEmpty());
        if (!loaded.isEmpty()) QCOMPARE(strings.myLoadResString(51), loaded);
    }

    // Pack codes compare exactly; any other code, Windows' own name of a language included,
    // selects U.S. English.
    void mapsPackCodesToLanguages_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("langId");
        QTest::addColumn<QString>("name");
        QTest::addRow("text telephones") << "ENX" << 33801 << "English (TDD/TTY)";
        QTest::addRow("Hong Kong by its pack code") << "ZHT" << 3076 << "Chinese (Hong Kong S.A.R.)";
        QTest::addRow("Hong Kong by its Windows name") << "ZHH" << 1033 << "English (United States)";
        QTest::addRow("lower case") << "deu" << 1033 << "English (United States)";
    }
    void mapsPackCodesToLanguages() {
        QFETCH(QString, code);
        QFETCH(int, langId);
        QFETCH(QString, name);
        QCOMPARE(LangIdFromCode(code), langId);
        QCOMPARE(LanguageNameFromCode(code), name);
    }

    void anUnknownLanguageIsAnError() {
        QCOMPARE(GetLanguageCode(12345), "ERR");
        QCOMPARE(GetLanguageName(12345), "(error)");
    }

    void takesTheUsersLanguageFromTheLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("langId");
        QTest::addRow("C") << "C" << 1033;
        QTest::addRow("German (Switzerland)") << "de_CH" << 2055;
        QTest::addRow("the first locale of its language") << "de_BE" << 1031;
        QTest::addRow("a locale named by its language alone") << "ja_JP" << 1041;
        QTest::addRow("a language without a locale here") << "haw_US" << 1033;
    }
    void takesTheUsersLanguageFromTheLocale() {
        QFETCH(QString, locale);
        QFETCH(int, langId);
        QCOMPARE(userDefaultLangId(QLocale(locale)), langId);
    }
};

QTEST_GUILESS_MAIN(LocalizeTest)
#include "test_localize.moc"
