#pragma once

#include <QString>
#include <QVariant>
#include <optional>

namespace brindle {

// Directories compare ids in their own ways: SQL Server and SQLite's NOCASE columns without
// regard to case, PostgreSQL gives a uuid back in capitals, one view may hold a reference as
// a number and the row it names as text. Both look-up readers and the cached tables therefore
// match ids by one key: a whole number, stored as a number or as its digits, is its value in
// decimal digits (7, 7.0, "7", "+7" and "07" are one key); any other value is its text with
// the ASCII letters in lower case. A Null has no key and matches nothing.
std::optional<QString> idKey(const QVariant& value);

// Whether idKey(value) is `key`, without making the value's key.
bool hasIdKey(const QVariant& value, QStringView key);

}  // namespace brindle
