#include "export/columns/voice_name_columns.h"

#include <QDir>
#include <QFileInfo>

#include "export/columns/column_context.h"
#include "export/columns/field_text.h"
#include "platform/file_copy.h"

namespace brindle {

namespace {

// Where the voice name file is: a full path as it stands (absolute here, or in the drive form
// "C:\..." of the host's own records), anything else inside the stream store. Nothing when
// there is no such file, or no stream store to look in. A relative name must stay inside the
// stream store once ".." and symbolic links are resolved: the run may read what its user
// cannot, and the copy lands where others can read it.
std::optional<QString> sourcePath(ColumnContext& context, const QString& voiceName) {
    if (QDir::isAbsolutePath(voiceName) || voiceName.mid(2, 1) == QLatin1String("\\")) {
        if (!QFileInfo::exists(voiceName)) return std::nullopt;
        return voiceName;
    }
    const std::optional<QString> streamStore = context.streamStoreFolder();
    if (!streamStore) return std::nullopt;
    const QString resolved =
        QFileInfo(*streamStore + QString(voiceName).replace(u'\\', u'/')).canonicalFilePath();
    if (resolved.isEmpty()) return std::nullopt;
    if (!resolved.startsWith(*streamStore)) {
        context.WriteLogLine(
            QStringLiteral("(error) the voice name %1 leads to %2, outside the stream store %3; "
                           "it is not copied")
                .arg(voiceName, resolved, *streamStore));
        return std::nullopt;
    }
    return resolved;
}

void writeVoiceNameCopy(ColumnContext& context, QStringView nameField, QLatin1StringView suffix) {
    const QString voiceName = fieldText(context, context.subscriber(), u"VoiceName");
    const QString name = fieldText(context, context.subscriber(), nameField);
    const std::optional<QString> source =
        voiceName.isEmpty() || name.isEmpty() ? std::nullopt : sourcePath(context, voiceName);
    if (!source) {
        context.AppendField(QString());
        return;
    }
    const QString fileName = safeFileNamePart(name) + suffix;
    const QString target = context.outputFolder() + fileName;
    auto copyError = [&](const QString& reason) {
        context.WriteLogLine(QStringLiteral("(error) could not copy the voice name %1 to %2: %3")
                                 .arg(*source, target, reason));
        context.AppendField(QString());
    };
    // Names that differ in the directory may clean to one: the first copy keeps it.
    if (const std::optional<QString> holder = context.holderOfCopyName(fileName)) {
        return copyError(QStringLiteral("that name is already %1").arg(*holder));
    }
    if (auto copied = copyRegularFile(*source, target); !copied) return copyError(copied.error().message);
    context.claimCopyName(fileName);
    context.AppendField(fileName);
}

}  // namespace

QString safeFileNamePart(const QString& value) {
    if (value == QLatin1String(".") || value == QLatin1String("..")) return QString(value.size(), u'_');
    QString safe = value;
    for (QChar& c : safe) {
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control) c = u'_';
    }
    return safe;
}

void writeVoiceNameByAlias(ColumnContext& context) {
    writeVoiceNameCopy(context, u"Alias", QLatin1StringView("_VOICE_NAME.WAV"));
}

void writeVoiceNameByExtension(ColumnContext& context) {
    writeVoiceNameCopy(context, u"DTMFAccessID", QLatin1StringView(".WAV"));
}

}  // namespace brindle
