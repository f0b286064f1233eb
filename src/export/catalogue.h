#pragma once

#include <QStringList>
#include <span>

namespace brindle {

class ColumnContext;
class Localizer;

// Appends one subscriber's fields for a data item, exactly one per column.
using ColumnProducer = void (*)(ColumnContext&);

// One thing a user can choose to export: the resource string of its label, shown in the list
// of data items, the fixed header columns its fields fill, in order, and the producer of
// those fields.
struct DataItem {
    int labelId;
    QStringList columns;
    ColumnProducer producer;
};

// The 31 data items in list order, which is also the order of the columns in the file.
std::span<const DataItem> dataItems();

// The texts of the list of data items as start-up fills it. Four mailbox entries keep their
// built-in English text whatever language is loaded, as they always have.
QStringList dataItemListEntries(const Localizer& strings);

}  // namespace brindle
