#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

#include "platform/result.h"

class QSqlQuery;

namespace brindle {

// The rows of one statement, fetched whole when it runs, so RecordCount() is exact and
// positioning happens in memory. Field names are found without regard to case; a database
// Null stays a null QVariant, distinct from an empty text. Rows keep the database's order.
class Recordset {
public:
    Recordset() = default;

    // Reads every row of an executed query.
    static Result<Recordset> fetchAll(QSqlQuery& query);

    int RecordCount() const { return static_cast<int>(m_rows.size()); }
    bool AtEOF() const { return m_position >= m_rows.size(); }
    void MoveFirst() { m_position = 0; }
    void MoveNext() {
        if (!AtEOF()) ++m_position;
    }
    qsizetype position() const { return m_position; }

    const QStringList& fieldNames() const { return m_fieldNames; }
    bool hasField(QStringView name) const { return fieldIndex(name) >= 0; }

    // The named field of the current row. An Error when there is no such field or the
    // recordset stands at its end.
    Result<QVariant> value(QStringView name) const;

    // Moves forward from the current row to the first row whose field equals `wanted`
    // (compared as text), or to the end when none does. A null `wanted` matches no row.
    // Returns !AtEOF().
    bool Find(QStringView name, const QVariant& wanted);

    // The rows for which `keep` is true, in order, as a recordset of their own standing on
    // its first row; `keep` sees a recordset standing on each row in turn.
    Recordset filtered(const std::function<bool(const Recordset&)>& keep) const;

    // Builds an in-memory index on one field so that Find on it no longer scans.
    void indexField(QStringView name);

    // Builds a recordset from rows in memory (tests and cached look-ups).
    static Recordset fromRows(QStringList fieldNames, QList<QVariantList> rows);

private:
    int fieldIndex(QStringView name) const;

    QStringList m_fieldNames;
    QHash<QString, int> m_fieldByFoldedName;
    QList<QVariantList> m_rows;
    qsizetype m_position = 0;

    int m_indexedField = -1;
    QHash<QString, QList<qsizetype>> m_index;  // text of the field -> rows, ascending
};

}  // namespace brindle
