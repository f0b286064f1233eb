#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>
#include <optional>

namespace brindle {

class ColumnContext;
class Recordset;

// The named field of a current row as the file shows it: the value's ordinary text, empty
// for a Null. A missing field is logged through the context and gives an empty text.
QString fieldText(ColumnContext& context, const Recordset& row, QStringView field);

// The named field as a value; a missing field is logged and gives a null QVariant.
QVariant fieldValue(ColumnContext& context, const Recordset& row, QStringView field);

// The number a non-Null value stands for, as numeric conversion reads it: numbers as they
// are, texts when they spell a number. Anything else is a type mismatch, logged here, and
// gives nothing.
std::optional<double> numberOf(ColumnContext& context, const QVariant& value, QStringView field);

// A flag as a condition: any non-zero number is true; a Null, or a value that is not a
// number (logged), is false.
bool isTrue(ColumnContext& context, const QVariant& value, QStringView field);

// A whole number with the sign position that number-to-text conversion puts in front: a
// blank before zero and positive numbers, a minus before negative ones.
QString numberWithSignPosition(qlonglong number);

}  // namespace brindle
