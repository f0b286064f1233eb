#pragma once

namespace brindle {

class ColumnContext;

// The producers of the identity, extension and profile items. Each appends exactly as many
// fields as its item has columns, whatever the data: a Null gives an empty field without a
// log line, and every other problem is logged through the context before the field is
// written.

// The subscriber's own texts, and the class of service's name, as the directory holds them.
void writeAlias(ColumnContext& context);
void writeFirstName(ColumnContext& context);
void writeLastName(ColumnContext& context);
void writeDisplayName(ColumnContext& context);
void writeBillingId(ColumnContext& context);
void writeCosName(ColumnContext& context);

// The three-letter abbreviation of the subscriber's Windows locale id; "ERR" for an id no
// table knows. A value that is not a number is logged as a type mismatch and left empty.
void writeLanguage(ColumnContext& context);

// "1" when the subscriber is listed in the directory, else "0"; a Null is not listed.
void writeListInDirectory(ColumnContext& context);

// "0" once the subscriber has enrolled, else "1"; a Null has not enrolled.
void writeFirstTimeEnrollment(ColumnContext& context);

// The call handler's maximum message length in plain decimal digits, unconverted.
void writeMaximumMessageLength(ColumnContext& context);

// The subscriber's one extension of index 0. None, several, or a failed look-up give "0"
// and one "(error)" line; of several rows none is written.
void writePrimaryExtension(ColumnContext& context);

// Nine fields: the extensions of index above 0 in the directory's order, then empty fields.
// Beyond nine only the first nine are written, with a warning naming the count, so that the
// line keeps the header's columns.
void writeAlternateExtensions(ColumnContext& context);

// The name of the call handler's schedule set; empty, without a line of its own, when the
// set is not found.
void writeScheduleName(ColumnContext& context);

// The name of the subscriber's phone system; "(error)" and one line when it is not found.
void writeSwitchId(ColumnContext& context);

}  // namespace brindle
