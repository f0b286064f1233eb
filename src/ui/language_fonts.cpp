#include "ui/language_fonts.h"

#include <QApplication>
#include <QMetaObject>
#include <QWidget>

#include "localize/languages.h"

namespace brindle {

void ApplyLanguageFont(QWidget* control, int langId) {
    const QString family = languageFontFamily(langId);
    QFont font = control->font();
    // Back to the program's family too, so that a switch from Japanese to English does not
    // leave English texts in a Japanese font.
    font.setFamilies({family.isEmpty() ? QApplication::font().family() : family});
    control->setFont(font);
}

void ApplyLanguageFontToForm(QWidget* form, int langId) {
    ApplyLanguageFont(form, langId);
    for (QWidget* control : form->findChildren<QWidget*>()) ApplyLanguageFont(control, langId);
}

void applyLanguageFontToAllForms(int langId) {
    for (QWidget* form : QApplication::topLevelWidgets()) ApplyLanguageFontToForm(form, langId);
}

void switchLanguage(Languages& languages, int langId) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    languages.switchTo(langId);
    applyLanguageFontToAllForms(languages.CurrentLangId());
    for (QWidget* form : QApplication::topLevelWidgets()) {
        // Called by name: a window that has no caption routine (a menu, say) is passed over.
        const QByteArray routine = (form->objectName() + QStringLiteral("_Auto_Init")).toLatin1();
        if (form->metaObject()->indexOfMethod(routine + "()") >= 0) {
            QMetaObject::invokeMethod(form, routine.constData());
        }
        form->update();
    }
    QApplication::restoreOverrideCursor();
}

}  // namespace brindle
