#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

#include "platform/result.h"

namespace brindle {

class DirectoryLookup;
class Recordset;

// What a column producer sees of the run while one subscriber's line is built: the three
// current rows, the directory look-ups, the line and the log. A producer appends exactly as
// many fields as its data item has columns, whatever the data, and leaves the rows where
// they stand.
class ColumnContext {
public:
    virtual ~ColumnContext() = default;

    // The current subscriber, its primary call handler and its class of service; each
    // recordset stands on that row.
    virtual const Recordset& subscriber() const = 0;
    virtual const Recordset& callHandler() const = 0;
    virtual const Recordset& classOfService() const = 0;

    virtual DirectoryLookup& lookup() = 0;

    // The output file's folder, ending in "/"; voice names are copied there. The run holds it
    // open, and the copies are made relative to that descriptor; an Error when it could not be
    // opened.
    virtual const QString& outputFolder() const = 0;
    virtual Result<int> outputFolderDescriptor() const = 0;

    // The folder that relative voice names are found in, ending in "/"; nothing when the
    // host's install folder cannot be had, which the run logs once, not per subscriber. The run
    // holds it open too, to open names beneath it: -1 when it could not be, and names are then
    // found by path.
    virtual std::optional<QString> streamStoreFolder() = 0;
    virtual int streamStoreDescriptor() const = 0;

    // What already has `fileName` in the output folder in this run: the output file, or an
    // earlier subscriber's voice-name copy (named by alias); nothing when the name is free.
    // A copy that was made claims its name.
    virtual std::optional<QString> holderOfCopyName(const QString& fileName) const = 0;
    virtual void claimCopyName(const QString& fileName) = 0;

    // The run's one "now", taken when it began (UTC), and the local offset from UTC in force
    // then, applied alike to every stored time of the run, whatever its season.
    virtual const QDateTime& startedUtc() const = 0;
    virtual int localOffsetSeconds() const = 0;
    // Whether stored times are written as YYYY-MM-DD HH:MM:SS instead of the locale's text.
    virtual bool isoDates() const = 0;

    virtual void AppendField(const QString& value) = 0;
    virtual void WriteLogLine(const QString& text) = 0;

    // A message the system shows its user where the run meets it (an illegal conversation
    // name, say), besides the log line the producer writes for it: shown in the window once
    // per distinct text in a run; never shown or waited for on a command line.
    virtual void showToUser(const QString& text) = 0;

    // Logs a failure the producer met and then goes on from, as "(error) in export.
    // Description=..., Source=..., Number= N".
    virtual void logFailure(const Error& error) = 0;
};

}  // namespace brindle
