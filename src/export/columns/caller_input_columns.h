#pragma once

namespace brindle {

class ColumnContext;

// Twelve fields, the action of each caller input key of the primary call handler in the order
// 0 to 9, *, #, whatever order the menu entries come in; of two entries for one key the first
// the directory returns wins. Fewer than twelve entries: twelve empty fields and one "(error)"
// line; a key without an entry: an empty field and a line naming the key. A Null action gives
// an empty field without a line; one outside 16 bits is logged as an overflow.
void writeCallerInputKeys(ColumnContext& context);

}  // namespace brindle
