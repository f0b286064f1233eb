#include "export/directory/recordset.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace brindle {

namespace {

QString fold(QStringView name) {
    return name.toString().toCaseFolded();
}

QString keyText(const QVariant& value) {
    return value.toString();
}

}  // namespace

Recordset Recordset::fromRows(QStringList fieldNames, QList<QVariantList> rows) {
    Recordset set;
    set.m_fieldNames = std::move(fieldNames);
    for (int i = 0; i < set.m_fieldNames.size(); ++i) {
        // The first of two equally named fields wins, as in a SELECT * over a join.
        const QString key = fold(set.m_fieldNames[i]);
        if (!set.m_fieldByFoldedName.contains(key)) set.m_fieldByFoldedName.insert(key, i);
    }
    set.m_rows = std::move(rows);
    return set;
}

Result<Recordset> Recordset::fetchAll(QSqlQuery& query) {
    const QSqlRecord record = query.record();
    QStringList names;
    names.reserve(record.count());
    for (int i = 0; i < record.count(); ++i) names << record.fieldName(i);

    QList<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        row.reserve(names.size());
        for (int i = 0; i < names.size(); ++i) row << query.value(i);
        rows << std::move(row);
    }
    if (query.lastError().isValid()) {
        return Error{query.lastError().text(), query.lastError().nativeErrorCode().toInt(),
                     QStringLiteral("Recordset")};
    }
    return fromRows(std::move(names), std::move(rows));
}

int Recordset::fieldIndex(QStringView name) const {
    return m_fieldByFoldedName.value(fold(name), -1);
}

Result<QVariant> Recordset::value(QStringView name) const {
    const int field = fieldIndex(name);
    if (field < 0) {
        return Error{QStringLiteral("Item cannot be found in the collection corresponding to the "
                                    "requested name or ordinal (%1).")
                         .arg(name),
                     3265, QStringLiteral("Recordset")};
    }
    if (AtEOF()) {
        return Error{QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."),
                     3021, QStringLiteral("Recordset")};
    }
    return m_rows[m_position][field];
}

void Recordset::indexField(QStringView name) {
    m_indexedField = fieldIndex(name);
    m_index.clear();
    if (m_indexedField < 0) return;
    for (qsizetype row = 0; row < m_rows.size(); ++row) {
        const QVariant& cell = m_rows[row][m_indexedField];
        if (!cell.isNull()) m_index[keyText(cell)].append(row);
    }
}

Recordset Recordset::filtered(const std::function<bool(const Recordset&)>& keep) const {
    Recordset cursor = *this;
    QList<QVariantList> kept;
    for (cursor.m_position = 0; !cursor.AtEOF(); ++cursor.m_position) {
        if (keep(cursor)) kept << m_rows[cursor.m_position];
    }
    return fromRows(m_fieldNames, std::move(kept));
}

bool Recordset::Find(QStringView name, const QVariant& wanted) {
    const int field = fieldIndex(name);
    if (field < 0 || wanted.isNull()) {
        m_position = m_rows.size();
        return false;
    }
    const QString text = keyText(wanted);
    if (field == m_indexedField) {
        const auto hit = m_index.constFind(text);
        if (hit != m_index.constEnd()) {
            const auto row = std::lower_bound(hit->cbegin(), hit->cend(), m_position);
            if (row != hit->cend()) {
                m_position = *row;
                return true;
            }
        }
        m_position = m_rows.size();
        return false;
    }
    for (; m_position < m_rows.size(); ++m_position) {
        const QVariant& cell = m_rows[m_position][field];
        if (!cell.isNull() && keyText(cell) == text) return true;
    }
    return false;
}

}  // namespace brindle
