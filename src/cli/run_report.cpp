#include "cli/run_report.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace brindle {

QByteArray RunReport::toJson() const {
    QJsonObject object{
        {QStringLiteral("output"), outputPath},
        {QStringLiteral("format"), format},
        {QStringLiteral("subscribers"), summary.subscribersWritten},
        {QStringLiteral("skipped"), summary.subscribersSkipped},
        {QStringLiteral("errors"), summary.errorCount},
        {QStringLiteral("warnings"), summary.warningCount},
        {QStringLiteral("voice_name_copies"), summary.voiceNameCopies},
        {QStringLiteral("log"), logPath},
        {QStringLiteral("seconds"), seconds},
        {QStringLiteral("exit_status"), exitStatus},
    };
    if (exitStatus != 0) object.insert(QStringLiteral("message"), message);
    if (changesAsked) {
        const ChangeCounts counts = summary.changes.value_or(ChangeCounts{});
        object.insert(QStringLiteral("changes"),
                      QJsonObject{{QStringLiteral("added"), counts.added},
                                  {QStringLiteral("removed"), counts.removed},
                                  {QStringLiteral("skipped"), counts.skipped},
                                  {QStringLiteral("changed"), counts.changed},
                                  {QStringLiteral("fields_changed"), counts.fieldsChanged}});
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

}  // namespace brindle
