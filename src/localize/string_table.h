#pragma once

#include <QString>
#include <optional>

namespace brindle {

// The program's own English string table: every caption, list entry and message by its ID
// (0 to 71 and 100 to 128; 72 to 99 do not exist). Nothing when the ID is not in the table.
// Language packs translate these same IDs.
std::optional<QString> builtInString(int id);

}  // namespace brindle
