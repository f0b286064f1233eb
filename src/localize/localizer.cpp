#include "localize/localizer.h"

#include "localize/string_table.h"
#include "platform/notifier.h"

namespace brindle {

namespace {

// Texts have always come back through a buffer of 1200 characters, one of which ends the
// text; longer pack texts were cut there, and the captions were laid out for that.
constexpr qsizetype kLongestText = 1199;

// What the platform says when a string-table lookup finds no such ID.
constexpr QLatin1StringView kResourceNotFound(
    "The specified resource name cannot be found in the image file.");

}  // namespace

Localizer::Localizer(Notifier* notifier) : m_notifier(notifier) {}
Localizer::~Localizer() = default;
Localizer::Localizer(Localizer&&) noexcept = default;
Localizer& Localizer::operator=(Localizer&&) noexcept = default;

void Localizer::setLanguagePack(std::unique_ptr<StringSource> pack) {
    m_pack = std::move(pack);
}

QString Localizer::builtInText(int id) const {
    const std::optional<QString> text = builtInString(id);
    if (!text) {
        if (m_notifier)
            m_notifier->inform(QLatin1StringView("error in myLoadResString: ") + kResourceNotFound);
        return QString();
    }
    return text->left(kLongestText);
}

QString Localizer::myLoadResString(int id) const {
    if (m_pack) {
        const std::optional<QString> text = m_pack->text(id);
        if (text && !text->isEmpty()) return text->left(kLongestText);
    }
    return builtInText(id);
}

}  // namespace brindle
