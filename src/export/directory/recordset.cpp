#include "export/directory/recordset.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <array>

#include "export/directory/directory_thread.h"
#include "export/directory/id_key.h"

namespace brindle {

namespace {

// Value 0 of every pool is the Null.
constexpr quint32 kNull = 0;

const QString* textOf(const QVariant& value) {
    return value.metaType().id() == QMetaType::QString ? static_cast<const QString*>(value.constData())
                                                       : nullptr;
}

}  // namespace

struct Recordset::Store {
    QStringList fieldNames;
    int fieldCount = 0;
    std::shared_ptr<const QList<QVariant>> values;  // distinct values, shared by regrouped copies
    std::vector<quint32> cells;                     // row after row, fieldCount each

    struct NameHit {
        QString name;
        int field = -1;
    };
    mutable std::array<NameHit, 16> hits;  // see fieldIndex()
    mutable std::size_t nextHit = 0;

    qsizetype rowCount() const { return fieldCount == 0 ? 0 : qsizetype(cells.size()) / fieldCount; }
};

namespace {

// Collects the values of one statement, each distinct text or whole number once.
class ValuePool {
public:
    ValuePool() { m_values << QVariant(); }

    quint32 add(const QVariant& value) {
        if (value.isNull()) return kNull;
        if (const QString* text = textOf(value)) {
            auto known = m_texts.constFind(*text);
            if (known != m_texts.constEnd()) return *known;
            return *m_texts.insert(*text, append(value));
        }
        const int type = value.metaType().id();
        if (type == QMetaType::Int || type == QMetaType::LongLong) {
            const std::pair<int, qint64> key{type, value.toLongLong()};
            auto known = m_numbers.constFind(key);
            if (known != m_numbers.constEnd()) return *known;
            return *m_numbers.insert(key, append(value));
        }
        return append(value);
    }

    std::shared_ptr<const QList<QVariant>> take() {
        return std::make_shared<const QList<QVariant>>(std::move(m_values));
    }

private:
    quint32 append(const QVariant& value) {
        m_values << value;
        return quint32(m_values.size() - 1);
    }

    QList<QVariant> m_values;
    QHash<QString, quint32> m_texts;
    QHash<std::pair<int, qint64>, quint32> m_numbers;
};

}  // namespace

Recordset::Recordset(std::shared_ptr<const Store> store, qsizetype begin, qsizetype end)
    : m_store(std::move(store)), m_begin(begin), m_end(end), m_position(begin) {}

Recordset Recordset::fromRows(QStringList fieldNames, QList<QVariantList> rows) {
    auto store = std::make_shared<Store>();
    store->fieldCount = int(fieldNames.size());
    store->fieldNames = std::move(fieldNames);
    ValuePool pool;
    for (const QVariantList& row : std::as_const(rows)) {
        for (int i = 0; i < store->fieldCount; ++i) store->cells.push_back(pool.add(row.value(i)));
    }
    store->values = pool.take();
    const qsizetype count = store->rowCount();
    return Recordset(std::move(store), 0, count);
}

Result<Recordset> Recordset::fetchAll(QSqlQuery& query) {
    const QSqlRecord record = query.record();
    auto store = std::make_shared<Store>();
    for (int i = 0; i < record.count(); ++i) store->fieldNames << record.fieldName(i);
    store->fieldCount = int(store->fieldNames.size());
    ValuePool pool;
    while (query.next()) {
        DirectoryThread::heartbeat();
        for (int i = 0; i < store->fieldCount; ++i) store->cells.push_back(pool.add(query.value(i)));
    }
    if (query.lastError().isValid()) {
        return Error{query.lastError().text(), query.lastError().nativeErrorCode().toInt(),
                     QStringLiteral("Recordset")};
    }
    store->values = pool.take();
    const qsizetype count = store->rowCount();
    return Recordset(std::move(store), 0, count);
}

const QStringList& Recordset::fieldNames() const {
    static const QStringList kNone;
    return m_store ? m_store->fieldNames : kNone;
}

int Recordset::fieldIndex(QStringView name) const {
    if (!m_store) return -1;
    // Producers ask by the same few names over and over: remember where each name as asked
    // was found, so that a read costs one exact comparison instead of a case-blind scan.
    for (const Store::NameHit& hit : m_store->hits) {
        if (hit.field >= 0 && name == hit.name) return hit.field;
    }
    // The first of two equally named fields wins, as in a SELECT * over a join.
    int field = -1;
    for (int i = 0; i < m_store->fieldCount && field < 0; ++i) {
        if (name.compare(m_store->fieldNames[i], Qt::CaseInsensitive) == 0) field = i;
    }
    auto& hits = m_store->hits;
    if (field >= 0) hits[m_store->nextHit++ % hits.size()] = {name.toString(), field};
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
    auto index = std::make_shared<QHash<QString, QList<qsizetype>>>();
    for (qsizetype row = m_begin; row < m_end; ++row) {
        if (const auto key = idKey(cell(row, m_indexedField))) (*index)[*key].append(row);
    }
    m_index = std::move(index);
}

Recordset Recordset::filtered(const std::function<bool(const Recordset&)>& keep) const {
    auto store = std::make_shared<Store>();
    if (m_store) {
        store->fieldNames = m_store->fieldNames;
        store->fieldCount = m_store->fieldCount;
        store->values = m_store->values;
    }
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
        const auto hit = m_index->constFind(*key);
        if (hit != m_index->constEnd()) {
            const auto row = std::lower_bound(hit->cbegin(), hit->cend(), m_position);
            if (row != hit->cend() && *row < m_end) {
                m_position = *row;
                return true;
            }
        }
        m_position = m_end;
        return false;
    }
    for (; m_position < m_end; ++m_position) {
        if (idKey(cell(m_position, field)) == key) return true;
    }
    return false;
}

Recordset::Groups Recordset::groupedBy(QStringView name) const {
    Groups groups;
    auto store = std::make_shared<Store>();
    if (m_store) {
        store->fieldNames = m_store->fieldNames;
        store->fieldCount = m_store->fieldCount;
        store->values = m_store->values;
    }
    const int field = fieldIndex(name);
    if (field >= 0) {
        // Rows of one key together, each group in the original order, groups in the order
        // their first rows came: a counting sort, without a list per group.
        QHash<QString, qsizetype> groupOfKey;
        QList<qsizetype> sizes;
        std::vector<qsizetype> groupOfRow(std::size_t(m_end - m_begin), -1);
        for (qsizetype row = m_begin; row < m_end; ++row) {
            const std::optional<QString> key = idKey(cell(row, field));
            if (!key) continue;
            auto group = groupOfKey.constFind(*key);
            if (group == groupOfKey.constEnd()) {
                group = groupOfKey.insert(*key, sizes.size());
                sizes << 0;
            }
            ++sizes[*group];
            groupOfRow[std::size_t(row - m_begin)] = *group;
        }
        QList<qsizetype> next(sizes.size());
        for (qsizetype group = 1; group < sizes.size(); ++group)
            next[group] = next[group - 1] + sizes[group - 1];
        for (auto key = groupOfKey.cbegin(); key != groupOfKey.cend(); ++key) {
            groups.spans.insert(key.key(), {next[*key], next[*key] + sizes[*key]});
        }
        const std::size_t width = std::size_t(m_store->fieldCount);
        store->cells.resize(std::size_t(next.isEmpty() ? 0 : next.last() + sizes.last()) * width);
        for (qsizetype row = m_begin; row < m_end; ++row) {
            const qsizetype group = groupOfRow[std::size_t(row - m_begin)];
            if (group < 0) continue;
            const auto first = m_store->cells.begin() + row * m_store->fieldCount;
            std::copy(first, first + m_store->fieldCount,
                      store->cells.begin() + next[group]++ * qsizetype(width));
        }
    }
    const qsizetype count = store->rowCount();
    groups.all = Recordset(std::move(store), 0, count);
    return groups;
}

Recordset Recordset::Groups::recordsetOf(const QVariant& value) const {
    const std::optional<QString> key = idKey(value);
    const auto span = key ? spans.constFind(*key) : spans.constEnd();
    if (span == spans.constEnd()) return Recordset(all.m_store, 0, 0);
    return Recordset(all.m_store, span->first, span->second);
}

}  // namespace brindle
