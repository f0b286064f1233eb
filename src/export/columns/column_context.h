#pragma once

#include <QString>

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

    // The output file's folder, ending in "/"; voice names are copied there.
    virtual const QString& outputFolder() const = 0;

    virtual void AppendField(const QString& value) = 0;
    virtual void WriteLogLine(const QString& text) = 0;

    // Logs a failure the producer met and then goes on from, as "(error) in export.
    // Description=..., Source=..., Number= N".
    virtual void logFailure(const Error& error) = 0;
};

}  // namespace brindle
