#include "export/directory/recordset.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <array>
#include <cstring>

#include "export/directory/directory_thread.h"
#include "export/directory/id_key.h"
#include "export/directory/recordset_builder.h"
#include "export/directory/recordset_store.h"

namespace brindle {

Recordset::Recordset(std::shared_ptr<const Store> store, qsizetype begin, qsizetype end)
    : m_store(std::move(store)), m_begin(begin), m_end(end), m_position(begin) {}

Recordset Recordset::fromRows(QStringList fieldNames, QList<QVariantList> rows) {
    RecordsetBuilder builder(std::move(fieldNames));
    for (const QVariantList& row : std::as_const(rows)) {
        for (int i = 0; i < builder.fieldCount(); ++i) builder.addValue(row.value(i));
    }
    return builder.take();
}

Result<Recordset> Recordset::fetchAll(QSqlQuery& query) {
    const QSqlRecord record = query.record();
    QStringList fieldNames;
    for (int i = 0; i < record.count(); ++i) fieldNames << record.fieldName(i);
    RecordsetBuilder builder(std::move(fieldNames));
    while (query.next()) {
        DirectoryThread::heartbeat();
        for (int i = 0; i < builder.fieldCount(); ++i) builder.addValue(query.value(i));
    }
    if (query.lastError().isValid()) {
        return Error{query.lastError().text(), query.lastError().nativeErrorCode().toInt(),
                     QStringLiteral("Recordset")};
    }
    return builder.take();
}

const QStringList& Recordset::fieldNames() const {
    static const QStringList kNone;
    return m_store ? m_store->fieldNames : kNone;
}

int Recordset::fieldIndex(QStringView name) const {
    if (!m_store) return -1;
    Store::NameHit& hit = (*m_store->hits)[quintptr(name.data()) / sizeof(QChar) % m_store->hits->size()];
    if (hit.field >= 0 && hit.asked == name.data() && hit.name.size() == name.size() &&
        std::memcmp(hit.name.constData(), name.data(), std::size_t(name.size()) * sizeof(QChar)) == 0)
        return hit.field;
    // The first of two equally named fields wins, as in a SELECT * over a join.
    int field = -1;
    for (int i = 0; i < m_store->fieldCount && field < 0; ++i) {
        if (name.compare(m_store->fieldNames[i], Qt::CaseInsensitive) == 0) field = i;
    }
    if (field >= 0) hit = {name.toString(), name.data(), field};
    return field;
}

const QVariant& Recordset::cell(qsizetype row, int field) const {
    return (*m_store->values)[m_store->cells[std::size_t(row * m_store->fieldCount + field)]];
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
    return cell(m_position, field);
}

void Recordset::indexField(QStringView name) {
    m_indexedField = fieldIndex(name);
    m_index.reset();
    if (m_indexedField < 0) return;
    auto index = std::make_shared<Index>();
    index->nextRow.assign(std::size_t(m_end - m_begin), -1);
    QHash<QString, qsizetype> lastRow;
    for (qsizetype row = m_begin; row < m_end; ++row) {
        const auto key = idKey(cell(row, m_indexedField));
        if (!key) continue;
        auto last = lastRow.find(*key);
        if (last == lastRow.end()) {
            index->firstRow.insert(*key, row);
            lastRow.insert(*key, row);
        } else {
            index->nextRow[std::size_t(*last - m_begin)] = row;
            *last = row;
        }
    }
    m_index = std::move(index);
}

Recordset Recordset::filtered(const std::function<bool(const Recordset&)>& keep) const {
    auto store = m_store ? m_store->sibling() : std::make_shared<Store>();
    Recordset cursor = *this;
    for (cursor.MoveFirst(); !cursor.AtEOF(); cursor.MoveNext()) {
        if (!keep(cursor)) continue;
        const auto first = m_store->cells.begin() + cursor.m_position * m_store->fieldCount;
        store->cells.insert(store->cells.end(), first, first + m_store->fieldCount);
    }
    const qsizetype count = store->rowCount();
    return Recordset(std::move(store), 0, count);
}

bool Recordset::Find(QStringView name, const QVariant& wanted) {
    const int field = fieldIndex(name);
    const std::optional<QString> key = idKey(wanted);
    if (field < 0 || !key) {
        m_position = m_end;
        return false;
    }
    if (field == m_indexedField && m_index) {
        const auto first = m_index->firstRow.constFind(*key);
        qsizetype row = first == m_index->firstRow.constEnd() ? -1 : *first;
        while (row >= 0 && row < m_position) row = m_index->nextRow[std::size_t(row - m_begin)];
        m_position = row >= 0 && row < m_end ? row : m_end;
        return m_position < m_end;
    }
    for (; m_position < m_end; ++m_position) {
        if (hasIdKey(cell(m_position, field), *key)) return true;
    }
    return false;
}

Recordset::Groups Recordset::groupedBy(QStringView name) const {
    Groups groups;
    const int field = fieldIndex(name);
    if (field < 0) {
        groups.all = Recordset(m_store, m_begin, m_begin);
        return groups;
    }
    // Each distinct value's key is made once. Groups are numbered in the order their first
    // rows come; a row without a key belongs to none.
    constexpr qint32 kUnseen = -2, kNoKey = -1;
    const QList<QVariant>& values = *m_store->values;
    std::vector<qint32> groupOfValue(std::size_t(values.size()), kUnseen);
    QHash<QString, qint32>& groupOfKey = groups.groupOfKey;
    groups.field = field;
    std::vector<qsizetype> sizes, firstRows;
    bool contiguous = true;  // each group's rows one after another, in the rows as they stand
    qint32 previous = kNoKey;
    for (qsizetype row = m_begin; row < m_end; ++row) {
        const quint32 value = m_store->cells[std::size_t(row * m_store->fieldCount + field)];
        qint32& group = groupOfValue[value];
        if (group == kUnseen) {
            const std::optional<QString> key = idKey(values[value]);
            if (!key) {
                group = kNoKey;
            } else {
                auto known = groupOfKey.constFind(*key);
                if (known == groupOfKey.constEnd())
                    known = groupOfKey.insert(*key, qint32(groupOfKey.size()));
                group = *known;
            }
        }
        if (group >= 0) {
            if (std::size_t(group) == sizes.size()) {
                sizes.push_back(0);
                firstRows.push_back(row);
            } else if (group != previous) {
                contiguous = false;
            }
            ++sizes[std::size_t(group)];
        }
        previous = group;
    }
    if (contiguous) {
        // Nothing to move: the groups are cut from the rows as they are.
        for (std::size_t group = 0; group < sizes.size(); ++group)
            groups.spans.emplace_back(firstRows[group], firstRows[group] + sizes[group]);
        groups.all = *this;
        groups.all.m_position = m_begin;
        groups.all.m_indexedField = -1;
        groups.all.m_index.reset();
        return groups;
    }
    // Rows of one key together, each group in the original order: a counting sort.
    std::vector<qsizetype> next(sizes.size());
    for (std::size_t group = 1; group < sizes.size(); ++group)
        next[group] = next[group - 1] + sizes[group - 1];
    for (std::size_t group = 0; group < sizes.size(); ++group)
        groups.spans.emplace_back(next[group], next[group] + sizes[group]);
    auto store = m_store->sibling();
    const std::size_t width = std::size_t(m_store->fieldCount);
    store->cells.resize(std::size_t(next.empty() ? 0 : next.back() + sizes.back()) * width);
    for (qsizetype row = m_begin; row < m_end; ++row) {
        const qint32 group = groupOfValue[m_store->cells[std::size_t(row * m_store->fieldCount + field)]];
        if (group < 0) continue;
        const auto first = m_store->cells.begin() + row * m_store->fieldCount;
        std::copy(first, first + m_store->fieldCount,
                  store->cells.begin() + next[std::size_t(group)]++ * qsizetype(width));
    }
    const qsizetype count = store->rowCount();
    groups.all = Recordset(std::move(store), 0, count);
    return groups;
}

Recordset Recordset::Groups::recordsetOf(const QVariant& value) const {
    const std::optional<QString> key = idKey(value);
    if (!key) return Recordset(all.m_store, 0, 0);
    qsizetype group = nextGuess;
    if (group >= qsizetype(spans.size()) ||
        !hasIdKey(all.cell(spans[std::size_t(group)].first, field), *key)) {
        const auto known = groupOfKey.constFind(*key);
        if (known == groupOfKey.constEnd()) return Recordset(all.m_store, 0, 0);
        group = *known;
    }
    nextGuess = group + 1;
    const auto& [begin, end] = spans[std::size_t(group)];
    return Recordset(all.m_store, begin, end);
}

}  // namespace brindle
