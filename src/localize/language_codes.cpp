#include "localize/language_codes.h"

namespace brindle {

namespace {

struct LocaleCode {
    qint32 id;
    const char* code;
};

struct SystemLocale {
    qint32 id;
    const char* code;
    const char* name;
};

// Windows locale ids, the abbreviated language names Windows gives them
// (LOCALE_SABBREVLANGNAME) and their English display names, in id order.
constexpr SystemLocale kSystemLocales[] = {
    {1025, "ARA", "Arabic (Saudi Arabia)"},
    {1026, "BGR", "Bulgarian"},
    {1027, "CAT", "Catalan"},
    {1028, "CHT", "Chinese (Taiwan)"},
    {1029, "CSY", "Czech"},
    {1030, "DAN", "Danish"},
    {1031, "DEU", "German (Germany)"},
    {1032, "ELL", "Greek"},
    {1033, "ENU", "English (United States)"},
    {1034, "ESP", "Spanish (Spain, traditional sort)"},
    {1035, "FIN", "Finnish"},
    {1036, "FRA", "French (France)"},
    {1037, "HEB", "Hebrew"},
    {1038, "HUN", "Hungarian"},
    {1039, "ISL", "Icelandic"},
    {1040, "ITA", "Italian (Italy)"},
    {1041, "JPN", "Japanese"},
    {1042, "KOR", "Korean"},
    {1043, "NLD", "Dutch (Netherlands)"},
    {1044, "NOR", "Norwegian (Bokmal)"},
    {1045, "PLK", "Polish"},
    {1046, "PTB", "Portuguese (Brazil)"},
    {1048, "ROM", "Romanian"},
    {1049, "RUS", "Russian"},
    {1050, "HRV", "Croatian"},
    {1051, "SKY", "Slovak"},
    {1052, "SQI", "Albanian"},
    {1053, "SVE", "Swedish (Sweden)"},
    {1054, "THA", "Thai"},
    {1055, "TRK", "Turkish"},
    {1056, "URD", "Urdu"},
    {1057, "IND", "Indonesian"},
    {1058, "UKR", "Ukrainian"},
    {1059, "BEL", "Belarusian"},
    {1060, "SLV", "Slovenian"},
    {1061, "ETI", "Estonian"},
    {1062, "LVI", "Latvian"},
    {1063, "LTH", "Lithuanian"},
    {1065, "FAR", "Persian"},
    {1066, "VIT", "Vietnamese"},
    {1067, "HYE", "Armenian"},
    {1069, "EUQ", "Basque"},
    {1071, "MKI", "Macedonian"},
    {1078, "AFK", "Afrikaans"},
    {1079, "KAT", "Georgian"},
    {1080, "FOS", "Faroese"},
    {1081, "HIN", "Hindi"},
    {1086, "MSL", "Malay (Malaysia)"},
    {1087, "KKZ", "Kazakh"},
    {1089, "SWK", "Swahili"},
    {1097, "TAM", "Tamil"},
    {1098, "TEL", "Telugu"},
    {1102, "MAR", "Marathi"},
    {1106, "CYM", "Welsh"},
    {1110, "GLC", "Galician"},
    {2049, "ARI", "Arabic (Iraq)"},
    {2052, "CHS", "Chinese (PRC)"},
    {2055, "DES", "German (Switzerland)"},
    {2057, "ENG", "English (United Kingdom)"},
    {2058, "ESM", "Spanish (Mexico)"},
    {2060, "FRB", "French (Belgium)"},
    {2064, "ITS", "Italian (Switzerland)"},
    {2067, "NLB", "Dutch (Belgium)"},
    {2068, "NON", "Norwegian (Nynorsk)"},
    {2070, "PTG", "Portuguese (Portugal)"},
    {2074, "SRL", "Serbian (Latin)"},
    {2077, "SVF", "Swedish (Finland)"},
    {3073, "ARE", "Arabic (Egypt)"},
    {3076, "ZHH", "Chinese (Hong Kong S.A.R.)"},  // the packs' table names it "ZHT"
    {3079, "DEA", "German (Austria)"},
    {3081, "ENA", "English (Australia)"},
    {3082, "ESN", "Spanish (Spain, modern sort)"},
    {3084, "FRC", "French (Canada)"},
    {3098, "SRB", "Serbian (Cyrillic)"},
    {4100, "ZHI", "Chinese (Singapore)"},
    {4103, "DEL", "German (Luxembourg)"},
    {4105, "ENC", "English (Canada)"},
    {4106, "ESG", "Spanish (Guatemala)"},
    {4108, "FRS", "French (Switzerland)"},
    {5124, "ZHM", "Chinese (Macao)"},
    {5127, "DEC", "German (Liechtenstein)"},
    {5129, "ENZ", "English (New Zealand)"},
    {5130, "ESC", "Spanish (Costa Rica)"},
    {5132, "FRL", "French (Luxembourg)"},
    {6153, "ENI", "English (Ireland)"},
    {6154, "ESA", "Spanish (Panama)"},
    {7177, "ENS", "English (South Africa)"},
    {7178, "ESD", "Spanish (Dominican Republic)"},
    {8201, "ENJ", "English (Jamaica)"},
    {8202, "ESV", "Spanish (Venezuela)"},
    {9226, "ESO", "Spanish (Colombia)"},
    {10249, "ENL", "English (Belize)"},
    {10250, "ESR", "Spanish (Peru)"},
    {11273, "ENT", "English (Trinidad and Tobago)"},
    {11274, "ESS", "Spanish (Argentina)"},
    {12298, "ESF", "Spanish (Ecuador)"},
    {13322, "ESL", "Spanish (Chile)"},
    {14346, "ESY", "Spanish (Uruguay)"},
    {15370, "ESZ", "Spanish (Paraguay)"},
    {16394, "ESB", "Spanish (Bolivia)"},
    {17418, "ESE", "Spanish (El Salvador)"},
    {18442, "ESH", "Spanish (Honduras)"},
    {19466, "ESI", "Spanish (Nicaragua)"},
    {20490, "ESU", "Spanish (Puerto Rico)"},
};

// The codes language packs are named by and the language ids they select, column by column
// as the packs have always been listed.
constexpr LocaleCode kPackCodes[] = {
    {33801, "ENX"}, {1033, "ENU"},  {2057, "ENG"}, {3081, "ENA"},  {4105, "ENC"},  {5129, "ENZ"},
    {6153, "ENI"},  {1031, "DEU"},  {2055, "DES"}, {3079, "DEA"},  {4103, "DEL"},  {5127, "DEC"},
    {1034, "ESP"},  {2058, "ESM"},  {3082, "ESN"}, {4106, "ESG"},  {5130, "ESC"},  {6154, "ESA"},
    {7178, "ESD"},  {8202, "ESV"},  {9226, "ESO"}, {10250, "ESR"}, {11274, "ESS"}, {18442, "ESH"},
    {19466, "ESI"}, {20490, "ESU"}, {1036, "FRA"}, {2060, "FRB"},  {3084, "FRC"},  {4108, "FRS"},
    {5132, "FRL"},  {1040, "ITA"},  {2064, "ITS"}, {1041, "JPN"},  {1043, "NLD"},  {2067, "NLB"},
    {1044, "NOR"},  {2068, "NON"},  {1046, "PTB"}, {2070, "PTG"},  {1028, "CHT"},  {3076, "ZHT"},
    {2052, "CHS"},  {4100, "ZHI"},
};

constexpr qint32 kDefaultLangId = 1033;

}  // namespace

QString GetLanguageCode(qint32 langId) {
    // Not a system locale: the program names it itself.
    if (langId == kTextTelephoneEnglish) return QStringLiteral("ENX");
    for (const SystemLocale& entry : kSystemLocales) {
        if (entry.id == langId) return QString::fromLatin1(entry.code);
    }
    return QStringLiteral("ERR");
}

QString GetLanguageName(qint32 langId) {
    if (langId == kTextTelephoneEnglish) return QStringLiteral("English (TDD/TTY)");
    for (const SystemLocale& entry : kSystemLocales) {
        if (entry.id == langId) return QString::fromLatin1(entry.name);
    }
    return QStringLiteral("(error)");
}

QString LanguageNameFromCode(const QString& code) {
    return GetLanguageName(LangIdFromCode(code));
}

qint32 userDefaultLangId(const QLocale& locale) {
    if (locale.language() == QLocale::C) return kDefaultLangId;
    // The locale's own name first ("German (Switzerland)"), then any locale of its language.
    const QString language = QLocale::languageToString(locale.language());
    const QString full =
        language + QStringLiteral(" (") + QLocale::territoryToString(locale.territory()) + u')';
    for (const SystemLocale& entry : kSystemLocales) {
        if (full == QLatin1StringView(entry.name)) return entry.id;
    }
    for (const SystemLocale& entry : kSystemLocales) {
        const QLatin1StringView name(entry.name);
        if (name == language || name.startsWith(language + QStringLiteral(" ("))) return entry.id;
    }
    return kDefaultLangId;
}

qint32 LangIdFromCode(const QString& code) {
    for (const LocaleCode& entry : kPackCodes) {
        if (code == QLatin1StringView(entry.code)) return entry.id;
    }
    return kDefaultLangId;
}

}  // namespace brindle
