#pragma once

#include <QLocale>
#include <QString>

namespace brindle {

// The program's own id for English for text telephones; it has no system locale.
inline constexpr qint32 kTextTelephoneEnglish = 33801;

// The three-letter abbreviated language name that Windows gives a locale id ("ENU" for 1033,
// "ZHH" for 3076), "ENX" for 33801, or "ERR" for an id that has no locale here. Language
// packs are named by this code.
QString GetLanguageCode(qint32 langId);

// The locale id of a language pack's three-letter code. Codes compare exactly (upper case);
// any code not in the packs' table, Windows' own included, gives 1033.
qint32 LangIdFromCode(const QString& code);

// The English display name of a locale id, as the system gives it ("German (Germany)"),
// "English (TDD/TTY)" for 33801, "(error)" for an id without a locale here.
QString GetLanguageName(qint32 langId);

// GetLanguageName of LangIdFromCode.
QString LanguageNameFromCode(const QString& code);

// The locale id of the user's language: the locale's own one where it has one, else the first
// of its language; 1033 for the C and POSIX locales and for a language without a locale here.
qint32 userDefaultLangId(const QLocale& locale);

}  // namespace brindle
