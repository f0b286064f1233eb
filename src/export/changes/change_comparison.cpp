#include "export/changes/change_comparison.h"

#include <algorithm>
#include <vector>

namespace brindle {

ChangeComparison::ChangeComparison(std::optional<EarlierExport> earlier) : m_earlier(std::move(earlier)) {
    if (!m_earlier) return;
    for (const QByteArray& alias : m_earlier->duplicateAliases()) m_earlierDuplicates.insert(alias);
}

void ChangeComparison::setColumns(const QStringList& columns) {
    m_columns = columns;
    m_aliasColumn = columns.indexOf(QLatin1String("ALIAS"));
    if (!m_earlier) return;
    // A name twice in a header (two items of one label) is matched occurrence by occurrence.
    const QStringList& earlierColumns = m_earlier->columns();
    QList<bool> matched(earlierColumns.size(), false);
    for (const QString& name : columns) {
        qsizetype found = -1;
        for (qsizetype i = 0; i < earlierColumns.size() && found < 0; ++i) {
            if (!matched[i] && earlierColumns[i] == name) found = i;
        }
        if (found >= 0) {
            matched[found] = true;
        } else {
            m_columnsAdded << name;
        }
        m_earlierColumnOf << found;
    }
    for (qsizetype i = 0; i < earlierColumns.size(); ++i) {
        if (!matched[i]) m_columnsRemoved << earlierColumns[i];
    }
}

bool ChangeComparison::addRow(const QStringList& values) {
    const QByteArray alias = values.value(m_aliasColumn).toUtf8();
    if (m_earlierDuplicates.contains(alias)) return false;
    if (m_seen.contains(alias)) {
        m_outcomes.remove(alias);
        const bool firstTime = !m_duplicates.contains(alias);
        m_duplicates.insert(alias);
        return firstTime;
    }
    m_seen.insert(alias);
    const auto earlierRow =
        m_earlier ? m_earlier->rowOfAlias().constFind(alias) : QHash<QByteArray, qsizetype>::const_iterator();
    if (!m_earlier || earlierRow == m_earlier->rowOfAlias().cend()) {
        m_outcomes.insert(alias, Outcome{true, {}});
        return false;
    }
    const QStringList before = m_earlier->values(*earlierRow);
    Outcome outcome;
    for (qsizetype column = 0; column < values.size() && column < m_earlierColumnOf.size(); ++column) {
        const qsizetype earlierColumn = m_earlierColumnOf[column];
        if (earlierColumn >= 0 && before[earlierColumn] != values[column])
            outcome.changes.append({column, before[earlierColumn], values[column]});
    }
    if (!outcome.changes.isEmpty()) m_outcomes.insert(alias, std::move(outcome));
    return false;
}

void ChangeComparison::addSkipped(const QString& alias) {
    m_skipped.insert(alias.toUtf8());
}

QStringList ChangeComparison::earlierDuplicates() const {
    QStringList aliases;
    if (m_earlier) {
        for (const QByteArray& alias : m_earlier->duplicateAliases()) aliases << QString::fromUtf8(alias);
    }
    return aliases;
}

QList<QByteArray> ChangeComparison::earlierNotWritten() const {
    QList<QByteArray> aliases;
    if (!m_earlier) return aliases;
    const auto& earlierAliases = m_earlier->rowOfAlias();
    for (auto alias = earlierAliases.cbegin(); alias != earlierAliases.cend(); ++alias) {
        if (!m_seen.contains(alias.key())) aliases << alias.key();
    }
    return aliases;
}

QList<QStringList> ChangeComparison::reportRows() const {
    QList<QStringList> rows{{QStringLiteral("CHANGE"), QStringLiteral("ALIAS"), QStringLiteral("COLUMN"),
                             QStringLiteral("BEFORE"), QStringLiteral("AFTER")}};
    for (const QString& name : m_columnsRemoved)
        rows.append({QStringLiteral("column removed"), {}, name, {}, {}});
    for (const QString& name : m_columnsAdded)
        rows.append({QStringLiteral("column added"), {}, name, {}, {}});

    // Each subscriber once, with where its lines come from: an outcome of the new export, or
    // an alias of the earlier one that this run did not write.
    struct Subscriber {
        QByteArray alias;
        const Outcome* outcome;  // none: removed or skipped
    };
    std::vector<Subscriber> subscribers;
    subscribers.reserve(size_t(m_outcomes.size()));
    for (auto outcome = m_outcomes.cbegin(); outcome != m_outcomes.cend(); ++outcome)
        subscribers.push_back({outcome.key(), &outcome.value()});
    for (const QByteArray& alias : earlierNotWritten()) subscribers.push_back({alias, nullptr});
    std::sort(subscribers.begin(), subscribers.end(),
              [](const Subscriber& a, const Subscriber& b) { return a.alias < b.alias; });

    for (const Subscriber& subscriber : subscribers) {
        const QString alias = QString::fromUtf8(subscriber.alias);
        if (!subscriber.outcome) {
            const bool skipped = m_skipped.contains(subscriber.alias);
            rows.append({skipped ? QStringLiteral("skipped") : QStringLiteral("removed"), alias, {}, {}, {}});
        } else if (subscriber.outcome->added) {
            rows.append({QStringLiteral("added"), alias, {}, {}, {}});
        } else {
            for (const ChangedValue& change : subscriber.outcome->changes)
                rows.append({QStringLiteral("changed"), alias, m_columns[change.column], change.before,
                             change.after});
        }
    }
    return rows;
}

ChangeCounts ChangeComparison::counts() const {
    ChangeCounts counts;
    counts.firstExport = !m_earlier;
    for (const Outcome& outcome : m_outcomes) {
        if (outcome.added) {
            ++counts.added;
        } else {
            ++counts.changed;
            counts.fieldsChanged += outcome.changes.size();
        }
    }
    for (const QByteArray& alias : earlierNotWritten())
        ++(m_skipped.contains(alias) ? counts.skipped : counts.removed);
    return counts;
}

}  // namespace brindle
