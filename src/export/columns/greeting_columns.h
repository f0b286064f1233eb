#pragma once

namespace brindle {

class ColumnContext;

// Five fields, one per greeting of the primary call handler (alternate, busy, internal, off
// hours, holiday): "1" when it is enabled (no expiry, or an expiry still ahead), "0" when
// it has expired. Expiry times are stored in UTC and compared with the current UTC time.
// Fewer than five greeting rows: five empty fields and one "(error)" line; a single type
// missing: its field empty and one "(error)" line.
void writeGreetingsEnabled(ColumnContext& context);

}  // namespace brindle
