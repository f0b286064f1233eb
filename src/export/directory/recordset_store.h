#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <memory>
#include <vector>

#include "export/directory/recordset.h"

namespace brindle {

// What a recordset and the recordsets cut from it share. Only recordset.cpp and the builder
// see it.
struct Recordset::Store {
    QStringList fieldNames;
    int fieldCount = 0;
    std::shared_ptr<const QList<QVariant>> values;  // distinct values, value 0 the Null
    std::vector<quint32> cells;                     // row after row, fieldCount each

    struct NameHit {
        QString name;
        int field = -1;
    };
    mutable std::array<NameHit, 16> hits;  // see Recordset::fieldIndex()
    mutable std::size_t nextHit = 0;

    qsizetype rowCount() const { return fieldCount == 0 ? 0 : qsizetype(cells.size()) / fieldCount; }
};

}  // namespace brindle
