#pragma once

class QWidget;

namespace brindle {

class Languages;

// Gives one control the font its language needs (East Asian languages name their own
// family); for every other language the program's own family, keeping size and style.
void ApplyLanguageFont(QWidget* control, int langId);

// ApplyLanguageFont for a window and every control in it.
void ApplyLanguageFontToForm(QWidget* form, int langId);

// ApplyLanguageFontToForm for every window of the program.
void applyLanguageFontToAllForms(int langId);

// The language switch: sets the language, loads its pack, gives every window of the program
// the language's font and its captions again (each window's "<name>_Auto_Init" routine, when
// it has one) and repaints it.
void switchLanguage(Languages& languages, int langId);

}  // namespace brindle
