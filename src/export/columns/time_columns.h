#pragma once

namespace brindle {

class ColumnContext;

// The producers of the stored-time items. A stored UTC time is shown as local date text
// (the locale's general date, without the time at exactly midnight), converted with the
// offset in force when the run began. A value that is not a time gives an empty field and
// one "(error)" line naming it; never a time left from an earlier column or subscriber.

// The subscriber's last call; "none" when there was none (a Null or an empty value).
void writeTimeOfLastCall(ColumnContext& context);

// When the password credential was last changed. Without exactly one password credential:
// "(error)" and one line. A Null time gives an empty field without a line.
void writeLastPasswordChangeTime(ColumnContext& context);

// When the subscriber was created; an empty field, without a line, for a Null.
void writeCreationTime(ColumnContext& context);

}  // namespace brindle
