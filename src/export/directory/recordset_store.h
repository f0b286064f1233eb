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

    // Producers ask by the same literals over and over. Each name asked is remembered in a
    // slot chosen by where its text stands, so that a read costs one exact comparison, not a
    // case-blind scan of the field names. Shared by the stores cut from the same rows.
    struct NameHit {
        QString name;
        const QChar* asked = nullptr;
        int field = -1;
    };
    using NameHits = std::array<NameHit, 64>;
    std::shared_ptr<NameHits> hits = std::make_shared<NameHits>();

    // A store for other rows of the same fields and values.
    std::shared_ptr<Store> sibling() const {
        auto store = std::make_shared<Store>();
        store->fieldNames = fieldNames;
        store->fieldCount = fieldCount;
        store->values = values;
        store->hits = hits;
        return store;
    }

    qsizetype rowCount() const { return fieldCount == 0 ? 0 : qsizetype(cells.size()) / fieldCount; }
};

}  // namespace brindle
