#pragma once

#include <QString>
#include <memory>
#include <optional>

namespace brindle {

class Notifier;

// The strings of a language pack, by the IDs of the built-in table. Any ID may be missing
// from a pack, and a pack may hold an empty text; both mean "use the built-in text".
class StringSource {
public:
    virtual ~StringSource() = default;
    virtual std::optional<QString> text(int id) const = 0;
};

// The localization state of the process: the language in use and its pack, if one is loaded.
// Answers every user-visible text by ID, the pack first and the built-in English table second.
// Until a pack is set every text is the built-in one and CurrentLangId is 0.
class Localizer {
public:
    // `notifier` (may be null) is told of IDs that no table holds.
    explicit Localizer(Notifier* notifier = nullptr);
    ~Localizer();
    Localizer(Localizer&&) noexcept;
    Localizer& operator=(Localizer&&) noexcept;

    // The pack's text of `id`, or the built-in one when there is no pack, the pack lacks the ID
    // or has it empty. An ID in neither table is reported through the notifier and gives an
    // empty text; callers go on with it. Texts are at most 1199 characters long.
    QString myLoadResString(int id) const;

    // The built-in English text of `id`, whatever pack is loaded; a missing ID is reported and
    // gives an empty text as above.
    QString builtInText(int id) const;

    // Replaces the loaded pack; a null pack unloads it.
    void setLanguagePack(std::unique_ptr<StringSource> pack);
    bool hasLanguagePack() const { return m_pack != nullptr; }

    // The Windows language id in use; 0 until the language is first chosen.
    qint32 CurrentLangId() const { return m_currentLangId; }
    void setCurrentLangId(qint32 langId) { m_currentLangId = langId; }

private:
    Notifier* m_notifier;
    std::unique_ptr<StringSource> m_pack;
    qint32 m_currentLangId = 0;
};

}  // namespace brindle
