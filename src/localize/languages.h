#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace brindle {

class Localizer;
class StringSource;

// The languages of the process: which one is in use, which packs lie beside the program, and
// which one is loaded into the localizer. A pack of language CODE is the file
// "<program>_<CODE>.dll" in the program's folder, its name matched without regard to case.
// Knows nothing of windows: fonts and captions are applied by the windows themselves.
class Languages {
public:
    using PackLoader = std::function<std::unique_ptr<StringSource>(const QString& path)>;

    // `userDefaultLangId` is the language the first InitalizeLanguages() picks when none is
    // in use yet; `loadPack` reads a pack file (nullptr when it is none).
    Languages(Localizer& strings, QString programFolder, QString programBaseName, qint32 userDefaultLangId,
              PackLoader loadPack);

    // Picks the user's language when none is in use, loads the pack of the language in use
    // (none when its file is missing or damaged) and lists the codes of every pack beside the
    // program, in the folder's name order (letter case ignored, as the host platform lists
    // them); one empty code when there is none.
    void InitalizeLanguages();

    // The codes of the packs found by the last InitalizeLanguages().
    const QStringList& LanguageCodes() const { return m_codes; }

    // Sets the language in use and initializes again. The caller re-captions its windows.
    void switchTo(qint32 langId);

    qint32 CurrentLangId() const;

private:
    Localizer& m_strings;
    QString m_folder;
    QString m_baseName;
    qint32 m_userDefault;
    PackLoader m_loadPack;
    QStringList m_codes{QString()};
};

// The font a language's texts need: East Asian languages name their own; every other
// language keeps the program's font (an empty family).
QString languageFontFamily(qint32 langId);

}  // namespace brindle
