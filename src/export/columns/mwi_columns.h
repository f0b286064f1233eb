#pragma once

namespace brindle {

class ColumnContext;

// The producers of the message-waiting items. A device named "MWI-1" (compared without
// regard to case, as the directory's collation does) is the subscriber's primary one; every
// device with another name is an alternate; a device without a name is neither.

// The primary device's string, the first one the directory returns of several. Without a
// primary device: an empty field and one "(error)" line.
void writePrimaryMwiString(ColumnContext& context);

// Nine fields: the alternate devices' strings in the directory's order, then empty fields.
// Beyond nine only the first nine are written, with a warning naming the count, so that the
// line keeps the header's columns.
void writeAlternateMwiStrings(ColumnContext& context);

// "1" when the first device the directory returns is on, "0" when it is off or Null; one
// blank and one "(error)" line when the subscriber has no device.
void writeMwiStatus(ColumnContext& context);

}  // namespace brindle
