#include "export/columns/voice_name_columns.h"

#include <QDir>
#include <QFileInfo>

#include "export/columns/column_context.h"
#include "export/columns/field_text.h"
#include "platform/file_copy.h"

namespace brindle {

namespace {

using Outcome = OpenedSource::Outcome;

// A voice name's file, opened, or why it could not be (said only once the copy's name is known
// to be free), and where it is, for the log lines that name it.
struct VoiceSource {
    OpenedSource opened;
    QString path;     // empty when it was opened beneath the stream store's descriptor:
    QString beneath;  // then where it is, is this path resolved, worked out only for such a line
    QString where() const { return path.isEmpty() ? QFileInfo(beneath).canonicalFilePath() : path; }
};

bool isFullPath(const QString& voiceName) {
    return QDir::isAbsolutePath(voiceName) || voiceName.mid(2, 1) == QLatin1String("\\");
}

// Where a relative name in the stream store leads, resolved by path: nothing when there is no
// such file, or when it leads out of the stream store, which is logged.
std::optional<QString> resolvedInStreamStore(ColumnContext& context, const QString& streamStore,
                                             const QString& voiceName, const QString& relative) {
    const QString resolved = QFileInfo(streamStore + relative).canonicalFilePath();
    if (resolved.isEmpty()) return std::nullopt;
    if (!resolved.startsWith(streamStore)) {
        context.WriteLogLine(
            QStringLiteral("(error) the voice name %1 leads to %2, outside the stream store %3; "
                           "it is not copied")
                .arg(voiceName, resolved, streamStore));
        return std::nullopt;
    }
    return resolved;
}

// The voice name's file: a full path as it stands (absolute here, or in the drive form
// "C:\..." of the host's own records), anything else inside the stream store. Nothing when
// there is no such file, or no stream store to look in. A relative name must stay inside the
// stream store once ".." and symbolic links are resolved: the run may read what its user
// cannot, and the copy lands where others can read it. The system reads a name only up to a
// NUL, so a name that holds one names no file.
std::optional<VoiceSource> findSource(ColumnContext& context, const QString& voiceName) {
    if (voiceName.contains(QChar(u'\0'))) return std::nullopt;
    if (isFullPath(voiceName)) {
        VoiceSource source{openSource(voiceName), voiceName, {}};
        if (source.opened.outcome == Outcome::NoSuchFile) return std::nullopt;
        if (source.opened.outcome == Outcome::Failed && !QFileInfo::exists(voiceName)) return std::nullopt;
        return source;
    }
    const std::optional<QString> streamStore = context.streamStoreFolder();
    if (!streamStore) return std::nullopt;
    const QString relative = QString(voiceName).replace(u'\\', u'/');
    // Beneath the store's descriptor first: one call, and nothing to resolve. What that cannot
    // settle (a name that leads out, an absolute link) is resolved by path, for the log line
    // that names where it leads.
    if (const int storeFolder = context.streamStoreDescriptor(); storeFolder >= 0) {
        OpenedSource opened = openSourceBeneath(storeFolder, relative);
        if (opened.outcome == Outcome::Opened)
            return VoiceSource{std::move(opened), {}, *streamStore + relative};
        if (opened.outcome == Outcome::NoSuchFile) return std::nullopt;
    }
    const std::optional<QString> resolved = resolvedInStreamStore(context, *streamStore, voiceName, relative);
    if (!resolved) return std::nullopt;
    return VoiceSource{openSource(*resolved), *resolved, {}};
}

void writeVoiceNameCopy(ColumnContext& context, QStringView nameField, QLatin1StringView suffix) {
    const QString voiceName = fieldText(context, context.subscriber(), u"VoiceName");
    const QString name = fieldText(context, context.subscriber(), nameField);
    const std::optional<VoiceSource> source =
        voiceName.isEmpty() || name.isEmpty() ? std::nullopt : findSource(context, voiceName);
    if (!source) {
        context.AppendField(QString());
        return;
    }
    const QString fileName = safeFileNamePart(name) + suffix;
    const QString target = context.outputFolder() + fileName;
    auto copyError = [&](const QString& reason) {
        context.WriteLogLine(QStringLiteral("(error) could not copy the voice name %1 to %2: %3")
                                 .arg(source->where(), target, reason));
        context.AppendField(QString());
    };
    // Names that differ in the directory may clean to one: the first copy keeps it.
    if (const std::optional<QString> holder = context.holderOfCopyName(fileName)) {
        return copyError(QStringLiteral("that name is already %1").arg(*holder));
    }
    if (source->opened.outcome != Outcome::Opened) return copyError(source->opened.reason);
    const Result<int> outputFolder = context.outputFolderDescriptor();
    if (!outputFolder) return copyError(outputFolder.error().message);
    if (auto copied = copyRegularFile(source->opened.source, {*outputFolder, fileName, target},
                                      [&source] { return source->where(); });
        !copied)
        return copyError(copied.error().message);
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
