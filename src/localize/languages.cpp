#include "localize/languages.h"

#include <QDir>

#include "localize/language_codes.h"
#include "localize/localizer.h"

namespace brindle {

Languages::Languages(Localizer& strings, QString programFolder, QString programBaseName,
                     qint32 userDefaultLangId, PackLoader loadPack)
    : m_strings(strings),
      m_folder(std::move(programFolder)),
      m_baseName(std::move(programBaseName)),
      m_userDefault(userDefaultLangId),
      m_loadPack(std::move(loadPack)) {}

qint32 Languages::CurrentLangId() const {
    return m_strings.CurrentLangId();
}

void Languages::InitalizeLanguages() {
    if (m_strings.CurrentLangId() == 0) m_strings.setCurrentLangId(m_userDefault);
    m_strings.setLanguagePack(nullptr);

    // Pack names are matched without regard to case, as the host platform's file names are.
    const QString prefix = m_baseName + u'_';
    const QString wanted = prefix + GetLanguageCode(m_strings.CurrentLangId()) + QStringLiteral(".dll");
    const QStringList files = QDir(m_folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    m_codes.clear();
    for (const QString& file : files) {
        if (file.compare(wanted, Qt::CaseInsensitive) == 0 && !m_strings.hasLanguagePack()) {
            m_strings.setLanguagePack(m_loadPack(QDir(m_folder).filePath(file)));
        }
        // The code is the three characters before ".dll", as the name spells it.
        if (file.size() >= prefix.size() + 4 && file.startsWith(prefix, Qt::CaseInsensitive) &&
            file.endsWith(QLatin1String("dll"), Qt::CaseInsensitive)) {
            m_codes << file.mid(file.size() - 7, 3);
        }
    }
    if (m_codes.isEmpty()) m_codes << QString();
}

void Languages::switchTo(qint32 langId) {
    m_strings.setCurrentLangId(langId);
    InitalizeLanguages();
}

QString languageFontFamily(qint32 langId) {
    switch (langId) {
        case 1042:
            return QStringLiteral(u"\uAD74\uB9BC");
        case 1028:
            return QStringLiteral(u"\u65B0\u7D30\u660E\u9AD4");
        case 1041:
            return QStringLiteral(u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF");
        case 2052:
            return QStringLiteral(u"\u5B8B\u4F53");
        default:
            return QString();
    }
}

}  // namespace brindle
