#include "export/columns/voice_name_columns.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "export/columns/column_context.h"
#include "export/columns/field_text.h"

namespace brindle {

namespace {

// Where the voice name file is: a full path as it stands (absolute here, or in the drive form
// "C:\..." of the host's own records), anything else relative to the stream store.
std::optional<QString> sourcePath(ColumnContext& context, const QString& voiceName) {
    if (QDir::isAbsolutePath(voiceName) || voiceName.mid(2, 1) == QLatin1String("\\")) return voiceName;
    const std::optional<QString> streamStore = context.streamStoreFolder();
    if (!streamStore) return std::nullopt;
    return *streamStore + QString(voiceName).replace(u'\\', u'/');
}

// Copies `source` to `target`, replacing an earlier file of that name. Written in place rather
// than through a temporary file and a rename: a run makes a copy or two per subscriber, and the
// new file is made exclusively, so a link put in its place is never followed.
Result<void> copyReplacing(const QString& source, const QString& target) {
    const QFileInfo existing(target);
    if ((existing.exists() || existing.isSymLink()) && !QFile::remove(target)) {
        return Error{QStringLiteral("cannot replace %1").arg(target)};
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return Error{in.errorString()};
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return Error{out.errorString()};
    char buffer[64 * 1024];
    qint64 read = 0;
    while ((read = in.read(buffer, sizeof buffer)) > 0) {
        if (out.write(buffer, read) != read) break;
    }
    if (read != 0 || !out.flush()) {
        const QString reason = read < 0 ? in.errorString() : out.errorString();
        out.remove();
        return Error{reason};
    }
    return {};
}

void writeVoiceNameCopy(ColumnContext& context, QStringView nameField, QLatin1StringView suffix) {
    const QString voiceName = fieldText(context, context.subscriber(), u"VoiceName");
    const QString name = fieldText(context, context.subscriber(), nameField);
    if (voiceName.isEmpty() || name.isEmpty()) {
        context.AppendField(QString());
        return;
    }
    const std::optional<QString> source = sourcePath(context, voiceName);
    if (!source || !QFileInfo(*source).isFile()) {
        context.AppendField(QString());
        return;
    }
    const QString fileName = safeFileNamePart(name) + suffix;
    if (auto copied = copyReplacing(*source, context.outputFolder() + fileName); !copied) {
        context.WriteLogLine(QStringLiteral("(error) could not copy the voice name %1 to %2: %3")
                                 .arg(*source, context.outputFolder() + fileName, copied.error().message));
        context.AppendField(QString());
        return;
    }
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
