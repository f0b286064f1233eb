#pragma once

namespace brindle {

class ColumnContext;

// The four mailbox figures from the message store, one field each: the number with its sign
// position (" 2048"), "0" for a Null. Without exactly one mailbox row: "(error)" and one
// "(error)" line per selected figure.
void writeMailboxBytesInUse(ColumnContext& context);
void writeMailboxSendLimit(ColumnContext& context);
void writeMailboxReceiveLimit(ColumnContext& context);
void writeMailboxWarningSize(ColumnContext& context);

}  // namespace brindle
