#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "platform/result.h"

class QSqlQuery;

namespace brindle {

// The rows of one statement, fetched whole when it runs, so RecordCount() is exact and
// positioning happens in memory. Field names are found without regard to case; a database
// Null stays a null QVariant, distinct from an empty text. Rows keep the database's order.
//
// Stored compactly: every distinct value once, in a pool shared by the recordsets cut from
// the same rows, and each cell as a 4-byte reference into it. Copies and row ranges share
// the storage, so a look-up that hands out a range of a table read once costs no copy.
class Recordset {
public:
    Recordset() = default;

    // Reads every row of an executed query.
    static Result<Recordset> fetchAll(QSqlQuery& query);

    // Builds a recordset from rows in memory (tests and cached look-ups).
    static Recordset fromRows(QStringList fieldNames, QList<QVariantList> rows);

    int RecordCount() const { return static_cast<int>(m_end - m_begin); }
    bool AtEOF() const { return m_position >= m_end; }
    void MoveFirst() { m_position = m_begin; }
    void MoveNext() {
        if (!AtEOF()) ++m_position;
    }
    qsizetype position() const { return m_position - m_begin; }
    // Stands on the row at `position` as position() counts, or at the end past the last row.
    void MoveTo(qsizetype position) { m_position = std::clamp(m_begin + position, m_begin, m_end); }

    const QStringList& fieldNames() const;
    bool hasField(QStringView name) const { return fieldIndex(name) >= 0; }

    // The named field of the current row. An Error when there is no such field or the
    // recordset stands at its end.
    Result<QVariant> value(QStringView name) const;

    // Moves forward from the current row to the first row whose field matches `wanted` (by
    // their idKey), or to the end when none does. A null `wanted` matches no row.
    // Returns !AtEOF().
    bool Find(QStringView name, const QVariant& wanted);

    // Builds an in-memory index on one field so that Find on it no longer scans.
    void indexField(QStringView name);
    // Whether Find on the field goes through such an index.
    bool isIndexedOn(QStringView name) const { return m_index && m_indexedField == fieldIndex(name); }

    // The rows for which `keep` is true, in order, as a recordset of their own standing on
    // its first row; `keep` sees a recordset standing on each row in turn.
    Recordset filtered(const std::function<bool(const Recordset&)>& keep) const;

    // The same rows grouped by the idKey of one field, for look-ups by that field: each
    // distinct key maps to its rows, contiguous and in their original order. Grouping
    // shares the values, and the rows too where each key's rows already stand together;
    // `recordsetOf` cuts a recordset of one group.
    struct Groups;
    Groups groupedBy(QStringView field) const;

private:
    struct Store;

    Recordset(std::shared_ptr<const Store> store, qsizetype begin, qsizetype end);
    int fieldIndex(QStringView name) const;
    const QVariant& cell(qsizetype row, int field) const;

    std::shared_ptr<const Store> m_store;
    qsizetype m_begin = 0;
    qsizetype m_end = 0;
    qsizetype m_position = 0;

    // The rows of each key of the indexed field: the first, and from each the next.
    struct Index {
        QHash<QString, qsizetype> firstRow;
        std::vector<qsizetype> nextRow;  // by row from m_begin; -1 after the last
    };
    int m_indexedField = -1;
    std::shared_ptr<const Index> m_index;

    friend struct Groups;
    friend class RecordsetBuilder;
};

struct Recordset::Groups {
    // The rows whose field had the value's key; an empty recordset with the same fields
    // for a key no row had, and for a Null, which matches no row.
    Recordset recordsetOf(const QVariant& value) const;

    Recordset all;                                       // the rows the groups are cut from
    int field = -1;                                      // the field grouped by
    QHash<QString, qint32> groupOfKey;                   // idKey -> group
    std::vector<std::pair<qsizetype, qsizetype>> spans;  // each group's rows [begin, end) in `all`
    // Look-ups mostly come in the order of the rows, so the group after the last one found
    // is tried before the hash.
    mutable qsizetype nextGuess = 0;
};

}  // namespace brindle
