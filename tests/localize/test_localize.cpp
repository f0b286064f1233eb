#include <QTest>
#include <map>

#include "localize/language_codes.h"
#include "localize/localizer.h"
#include "platform/notifier.h"

using brindle::GetLanguageCode;
using brindle::LangIdFromCode;
using brindle::Localizer;

namespace {

const QString kNotFound = QStringLiteral(
    "error in myLoadResString: The specified resource name cannot be found in the image file.");

class RecordingNotifier : public brindle::Notifier {
public:
    void inform(const QString& text) override { messages << text; }
    bool confirm(const QString&, Answers) override { return true; }
    QStringList messages;
};

class MapPack : public brindle::StringSource {
public:
    explicit MapPack(std::map<int, QString> texts) : m_texts(std::move(texts)) {}
    std::optional<QString> text(int id) const override {
        const auto found = m_texts.find(id);
        if (found == m_texts.end()) return std::nullopt;
        return found->second;
    }

private:
    std::map<int, QString> m_texts;
};

std::unique_ptr<brindle::StringSource> pack(std::map<int, QString> texts) {
    return std::make_unique<MapPack>(std::move(texts));
}

// The language packs' codes and the ids they stand for.
void addPackCodeRows() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<qint32>("langId");
    const std::pair<const char*, qint32> rows[] = {
        {"ENX", 33801}, {"ENU", 1033},  {"ENG", 2057}, {"ENA", 3081},  {"ENC", 4105},  {"ENZ", 5129},
        {"ENI", 6153},  {"DEU", 1031},  {"DES", 2055}, {"DEA", 3079},  {"DEL", 4103},  {"DEC", 5127},
        {"ESP", 1034},  {"ESM", 2058},  {"ESN", 3082}, {"ESG", 4106},  {"ESC", 5130},  {"ESA", 6154},
        {"ESD", 7178},  {"ESV", 8202},  {"ESO", 9226}, {"ESR", 10250}, {"ESS", 11274}, {"ESH", 18442},
        {"ESI", 19466}, {"ESU", 20490}, {"FRA", 1036}, {"FRB", 2060},  {"FRC", 3084},  {"FRS", 4108},
        {"FRL", 5132},  {"ITA", 1040},  {"ITS", 2064}, {"JPN", 1041},  {"NLD", 1043},  {"NLB", 2067},
        {"NOR", 1044},  {"NON", 2068},  {"PTB", 1046}, {"PTG", 2070},  {"CHT", 1028},  {"ZHT", 3076},
        {"CHS", 2052},  {"ZHI", 4100},
    };
    for (const auto& [code, langId] : rows) QTest::newRow(code) << QString::fromLatin1(code) << langId;
}

}  // namespace

class LocalizeTest : public QObject {
    Q_OBJECT

private slots:
    void givesEveryBuiltInText_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::addRow("0") << 0 << QStringLiteral(" Build");
        QTest::addRow("1") << 1
                           << QStringLiteral(
                                  " error(s) encountered in process.  Press OK to view the error log now");
        QTest::addRow("2") << 2 << QStringLiteral("About");
        QTest::addRow("3") << 3 << QStringLiteral("Alias");
        QTest::addRow("4") << 4 << QStringLiteral("All Alternate Extensions");
        QTest::addRow("5") << 5 << QStringLiteral("All Alternate MWI Strings");
        QTest::addRow("6") << 6 << QStringLiteral("Always");
        QTest::addRow("7") << 7 << QStringLiteral("Billing ID");
        QTest::addRow("8") << 8 << QStringLiteral("Browse");
        QTest::addRow("9") << 9 << QStringLiteral("Busy Action");
        QTest::addRow("10") << 10 << QStringLiteral("COS Name");
        QTest::addRow("11") << 11 << QStringLiteral("Change Language");
        QTest::addRow("12") << 12 << QStringLiteral("Brindle Tools");
        QTest::addRow("13") << 13 << QStringLiteral("Commas");
        QTest::addRow("14") << 14 << QStringLiteral("Copyright (c) 2026 Brindle Tools. All rights reserved.");
        QTest::addRow("15") << 15 << QStringLiteral("Data to Include in Output File");
        QTest::addRow("16") << 16 << QStringLiteral("Default Playback Volume");
        QTest::addRow("17") << 17 << QStringLiteral("Display Name");
        QTest::addRow("18") << 18 << QStringLiteral("Error in from load routine.  Description=");
        QTest::addRow("19") << 19 << QStringLiteral("Exit");
        QTest::addRow("20") << 20 << QStringLiteral("Exiting application");
        QTest::addRow("21") << 21 << QStringLiteral("FAX ID");
        QTest::addRow("22") << 22 << QStringLiteral("File");
        QTest::addRow("23") << 23 << QStringLiteral("First Name");
        QTest::addRow("24") << 24 << QStringLiteral("Help");
        QTest::addRow("25") << 25 << QStringLiteral("Home Mail Server");
        QTest::addRow("26") << 26 << QStringLiteral("Invalid file name!");
        QTest::addRow("27") << 27 << QStringLiteral("Language");
        QTest::addRow("28") << 28 << QStringLiteral("Last Name");
        QTest::addRow("29") << 29 << QStringLiteral("Line Feeds");
        QTest::addRow("30") << 30 << QStringLiteral("List In Directory");
        QTest::addRow("31") << 31 << QStringLiteral("Location ID");
        QTest::addRow("32") << 32 << QStringLiteral("Location Name");
        QTest::addRow("33") << 33 << QStringLiteral("MWI Status");
        QTest::addRow("34") << 34 << QStringLiteral("Maximum Message Length");
        QTest::addRow("35") << 35 << QStringLiteral("Never");
        QTest::addRow("36") << 36 << QStringLiteral("No items selected for outport!");
        QTest::addRow("37") << 37 << QStringLiteral("No languages loaded");
        QTest::addRow("38") << 38 << QStringLiteral("OK");
        QTest::addRow("39") << 39 << QStringLiteral("Output complete.  ");
        QTest::addRow("40") << 40 << QStringLiteral("Primary Extension");
        QTest::addRow("41") << 41 << QStringLiteral("Primary Fax Delivery Number");
        QTest::addRow("42") << 42 << QStringLiteral("Primary MWI String");
        QTest::addRow("43") << 43 << QStringLiteral("Progress");
        QTest::addRow("44") << 44 << QStringLiteral("Rings to Wait");
        QTest::addRow("45") << 45 << QStringLiteral("14 Harrow Lane");
        QTest::addRow("46") << 46 << QStringLiteral("Schedule Name");
        QTest::addRow("47") << 47 << QStringLiteral("Select Language");
        QTest::addRow("48") << 48 << QStringLiteral("Select Location of Output File");
        QTest::addRow("49") << 49 << QStringLiteral("Seperate Data With");
        QTest::addRow("50") << 50 << QStringLiteral("Set for First Time Enrollment");
        QTest::addRow("51") << 51 << QStringLiteral("Start");
        QTest::addRow("52") << 52 << QStringLiteral("Subscriber Count:");
        QTest::addRow("53") << 53 << QStringLiteral("Brindle");
        QTest::addRow("54") << 54 << QStringLiteral("Subscriber Lockout Status");
        QTest::addRow("55") << 55 << QStringLiteral("Switch ID");
        QTest::addRow("56") << 56 << QStringLiteral("Tabs");
        QTest::addRow("57") << 57 << QStringLiteral("Time of Last Call");
        QTest::addRow("58") << 58 << QStringLiteral("Total Mailbox Size");
        QTest::addRow("59") << 59 << QStringLiteral("Transfer Number");
        QTest::addRow("60") << 60 << QStringLiteral("Transfer Type");
        QTest::addRow("61") << 61 << QStringLiteral("Northbridge, Avalonia");
        QTest::addRow("62") << 62 << QStringLiteral("Brindle is a trademark of Brindle Tools.");
        QTest::addRow("63") << 63
                            << QStringLiteral(
                                   "Halvern must be running.  Please start Halvern and try again.");
        QTest::addRow("64") << 64 << QStringLiteral("Use Quotes Around Fields");
        QTest::addRow("65") << 65 << QStringLiteral("User Input Values");
        QTest::addRow("66") << 66 << QStringLiteral("Version:");
        QTest::addRow("67") << 67 << QStringLiteral("Voice Name Recorded");
        QTest::addRow("68") << 68 << QStringLiteral("Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)");
        QTest::addRow("69") << 69 << QStringLiteral("When data includes a comma");
        QTest::addRow("70") << 70 << QStringLiteral("Write Data To:");
        QTest::addRow("71") << 71 << QStringLiteral("none");
        QTest::addRow("100") << 100 << QStringLiteral("Include remote subscribers");
        QTest::addRow("101") << 101 << QStringLiteral("Remote address");
        QTest::addRow("102") << 102
                             << QStringLiteral(
                                    "This version of Brindle only works with Halvern 3.0(1) and later");
        QTest::addRow("103") << 103 << QStringLiteral("Public distribution list membership");
        QTest::addRow("104") << 104 << QStringLiteral("Notification Devices");
        QTest::addRow("105") << 105 << QStringLiteral("All subscribers");
        QTest::addRow("106") << 106 << QStringLiteral("Full subscribers only");
        QTest::addRow("107") << 107 << QStringLiteral("AMIS subscribers only");
        QTest::addRow("108") << 108 << QStringLiteral("Bridge subscribers only");
        QTest::addRow("109") << 109 << QStringLiteral("SMTP subscribers only");
        QTest::addRow("110") << 110 << QStringLiteral("VPIM subscribers only");
        QTest::addRow("111") << 111 << QStringLiteral("Subscribers to dump");
        QTest::addRow("112")
            << 112
            << QStringLiteral(
                   "Could not open database.  Make sure you're running Halvern 3.0(1) or later on the box.");
        QTest::addRow("113") << 113 << QStringLiteral("Check for updated version");
        QTest::addRow("114") << 114 << QStringLiteral("Remote node ID");
        QTest::addRow("115") << 115 << QStringLiteral("Legacy mailbox ID");
        QTest::addRow("116") << 116 << QStringLiteral("Greetings Enabled");
        QTest::addRow("117") << 117 << QStringLiteral("Caller Input Key Actions");
        QTest::addRow("118") << 118 << QStringLiteral("Greeting WAV file - standard");
        QTest::addRow("119") << 119 << QStringLiteral("Greeting WAV file - alternate");
        QTest::addRow("120") << 120 << QStringLiteral("Trivial PW Check");
        QTest::addRow("121") << 121 << QStringLiteral("Voice Name WAV File ([Primary Extension].WAV)");
        QTest::addRow("122") << 122 << QStringLiteral("Time of last password change");
        QTest::addRow("123") << 123 << QStringLiteral("Date of subscriber creation");
        QTest::addRow("124") << 124 << QStringLiteral("Days till next PW change");
        QTest::addRow("125") << 125 << QStringLiteral("Mailbox bytes in use");
        QTest::addRow("126") << 126 << QStringLiteral("Mailbox send limit (bytes)");
        QTest::addRow("127") << 127 << QStringLiteral("Mailbox receive limit (bytes)");
        QTest::addRow("128") << 128 << QStringLiteral("Mailbox warning size (bytes)");
    }
    void givesEveryBuiltInText() {
        QFETCH(int, id);
        QFETCH(QString, text);
        RecordingNotifier notifier;
        Localizer strings(&notifier);
        QCOMPARE(strings.myLoadResString(id), text);
        QCOMPARE(strings.builtInText(id), text);
        QCOMPARE(notifier.messages, QStringList());
    }

    void reportsAnIdInNoTable_data() {
        QTest::addColumn<int>("id");
        for (int id = 72; id <= 99; ++id) QTest::addRow("%d", id) << id;
        QTest::addRow("negative") << -1;
        QTest::addRow("past the table") << 129;
    }
    void reportsAnIdInNoTable() {
        QFETCH(int, id);
        RecordingNotifier notifier;
        Localizer strings(&notifier);
        QCOMPARE(strings.myLoadResString(id), QString());
        QCOMPARE(notifier.messages, QStringList{kNotFound});
    }

    void givesAnEmptyTextWithoutNotifier() {
        Localizer strings;
        QCOMPARE(strings.myLoadResString(80), QString());
    }

    void takesPackTextsFirstAndFallsBackForMissingOnes() {
        RecordingNotifier notifier;
        Localizer strings(&notifier);
        strings.setLanguagePack(
            pack({{3, QStringLiteral("Kennung")}, {51, QStringLiteral("D\u00e9marrer")}}));
        QCOMPARE(strings.myLoadResString(3), QStringLiteral("Kennung"));
        QCOMPARE(strings.myLoadResString(51), QStringLiteral("D\u00e9marrer"));
        QCOMPARE(strings.myLoadResString(57), QStringLiteral("Time of Last Call"));
        QCOMPARE(notifier.messages, QStringList());
    }

    void fallsBackForAnEmptyPackText() {
        Localizer strings;
        strings.setLanguagePack(pack({{57, QString()}, {39, QStringLiteral("")}}));
        QCOMPARE(strings.myLoadResString(57), QStringLiteral("Time of Last Call"));
        QCOMPARE(strings.myLoadResString(39), QStringLiteral("Output complete.  "));
    }

    void reportsAnIdThatThePackHasEmptyAndTheTableLacks() {
        RecordingNotifier notifier;
        Localizer strings(&notifier);
        strings.setLanguagePack(pack({{80, QString()}}));
        QCOMPARE(strings.myLoadResString(80), QString());
        QCOMPARE(notifier.messages, QStringList{kNotFound});
    }

    void readsBuiltInTextsPastThePack() {
        Localizer strings;
        strings.setLanguagePack(pack({{125, QStringLiteral("Postfach belegt")}}));
        QCOMPARE(strings.builtInText(125), QStringLiteral("Mailbox bytes in use"));
        QCOMPARE(strings.myLoadResString(125), QStringLiteral("Postfach belegt"));
    }

    void unloadingThePackRestoresBuiltInTexts() {
        Localizer strings;
        strings.setLanguagePack(pack({{3, QStringLiteral("Kennung")}}));
        QVERIFY(strings.hasLanguagePack());
        strings.setLanguagePack(nullptr);
        QVERIFY(!strings.hasLanguagePack());
        QCOMPARE(strings.myLoadResString(3), QStringLiteral("Alias"));
    }

    void cutsLongTextsAt1199Characters_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("expected");
        QTest::addRow("1198") << 1198 << 1198;
        QTest::addRow("1199") << 1199 << 1199;
        QTest::addRow("1200") << 1200 << 1199;
        QTest::addRow("5000") << 5000 << 1199;
    }
    void cutsLongTextsAt1199Characters() {
        QFETCH(int, length);
        QFETCH(int, expected);
        QString text;
        for (int i = 0; i < length; ++i) text += QChar(u'a' + i % 26);
        Localizer strings;
        strings.setLanguagePack(pack({{17, text}}));
        const QString got = strings.myLoadResString(17);
        QCOMPARE(got.size(), expected);
        QVERIFY(text.startsWith(got));
    }

    void startsWithoutALanguage() {
        Localizer strings;
        QCOMPARE(strings.CurrentLangId(), 0);
        QVERIFY(!strings.hasLanguagePack());
        strings.setCurrentLangId(1031);
        QCOMPARE(strings.CurrentLangId(), 1031);
    }

    void namesLanguagesAsWindowsDoes_data() {
        QTest::addColumn<qint32>("langId");
        QTest::addColumn<QString>("code");
        QTest::addRow("text telephone English") << 33801 << "ENX";
        QTest::addRow("English US") << 1033 << "ENU";
        QTest::addRow("English UK") << 2057 << "ENG";
        QTest::addRow("German") << 1031 << "DEU";
        QTest::addRow("French") << 1036 << "FRA";
        QTest::addRow("Japanese") << 1041 << "JPN";
        QTest::addRow("Korean") << 1042 << "KOR";
        QTest::addRow("Chinese PRC") << 2052 << "CHS";
        QTest::addRow("Chinese Taiwan") << 1028 << "CHT";
        QTest::addRow("Chinese Hong Kong") << 3076 << "ZHH";
        QTest::addRow("Russian") << 1049 << "RUS";
        QTest::addRow("Polish") << 1045 << "PLK";
        QTest::addRow("Swedish") << 1053 << "SVE";
        QTest::addRow("Czech") << 1029 << "CSY";
        QTest::addRow("Greek") << 1032 << "ELL";
        QTest::addRow("Turkish") << 1055 << "TRK";
        QTest::addRow("Hebrew") << 1037 << "HEB";
        QTest::addRow("Arabic") << 1025 << "ARA";
        QTest::addRow("zero") << 0 << "ERR";
        QTest::addRow("unknown") << 9999 << "ERR";
        QTest::addRow("negative") << -1 << "ERR";
    }
    void namesLanguagesAsWindowsDoes() {
        QFETCH(qint32, langId);
        QFETCH(QString, code);
        QCOMPARE(GetLanguageCode(langId), code);
    }

    void mapsEveryPackCodeToItsLanguage_data() { addPackCodeRows(); }
    void mapsEveryPackCodeToItsLanguage() {
        QFETCH(QString, code);
        QFETCH(qint32, langId);
        QCOMPARE(LangIdFromCode(code), langId);
    }

    // A pack named by a code is found again from its language, except for Hong Kong, whose
    // pack code and Windows name differ.
    void namesEveryPackLanguageByItsPackCode_data() { addPackCodeRows(); }
    void namesEveryPackLanguageByItsPackCode() {
        QFETCH(QString, code);
        QFETCH(qint32, langId);
        QCOMPARE(GetLanguageCode(langId), code == u"ZHT" ? QStringLiteral("ZHH") : code);
    }

    void mapsOtherCodesToUsEnglish_data() {
        QTest::addColumn<QString>("code");
        QTest::addRow("Korean") << "KOR";
        QTest::addRow("lower case") << "deu";
        QTest::addRow("mixed case") << "Deu";
        QTest::addRow("unnamed language") << "ERR";
        QTest::addRow("Windows name of Hong Kong") << "ZHH";
        QTest::addRow("trailing blank") << "DEU ";
        QTest::addRow("empty") << "";
    }
    void mapsOtherCodesToUsEnglish() {
        QFETCH(QString, code);
        QCOMPARE(LangIdFromCode(code), 1033);
    }
};

QTEST_GUILESS_MAIN(LocalizeTest)
#include "test_localize.moc"
