#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>
#include <optional>

#include "export/changes/earlier_export.h"
#include "export/export_options.h"

namespace brindle {

// Compares a new export, row by row as it is written, with an earlier one. Subscribers are
// matched by alias, as text, exactly; an alias on more than one row of either file is not
// compared. Columns are matched by name; one in a single file is reported, not compared.
// Only what differs is kept, so that the new rows need not be.
class ChangeComparison {
public:
    // Without an earlier export every subscriber is added.
    explicit ChangeComparison(std::optional<EarlierExport> earlier);

    // The new export's header; its ALIAS column is what rows are matched by.
    void setColumns(const QStringList& columns);
    // A subscriber's row as the new export holds it. True when its alias is now found on a
    // second row, and was on one row only of the earlier export: the run says so once.
    bool addRow(const QStringList& values);
    // A subscriber this run skipped: in the earlier export, it is not reported as removed.
    void addSkipped(const QString& alias);

    // Aliases on more than one row of the earlier export, each once.
    QStringList earlierDuplicates() const;
    // The report: its header, the columns removed and added, then each subscriber's lines in
    // the order of their aliases' UTF-8 bytes.
    QList<QStringList> reportRows() const;
    ChangeCounts counts() const;

private:
    struct ChangedValue {
        qsizetype column;  // in the new export
        QString before;
        QString after;
    };
    // A subscriber of the new export that is added, or that has changed values.
    struct Outcome {
        bool added = false;
        QList<ChangedValue> changes;
    };

    // The aliases compared of the earlier export that this run did not write: removed or skipped.
    QList<QByteArray> earlierNotWritten() const;

    std::optional<EarlierExport> m_earlier;
    QStringList m_columns;
    QList<qsizetype> m_earlierColumnOf;  // for each new column, the earlier one of its name, or -1
    QStringList m_columnsRemoved;
    QStringList m_columnsAdded;
    qsizetype m_aliasColumn = -1;
    QSet<QByteArray> m_seen;
    QSet<QByteArray> m_duplicates;  // in the new export only
    QSet<QByteArray> m_earlierDuplicates;
    QSet<QByteArray> m_skipped;
    QHash<QByteArray, Outcome> m_outcomes;
};

}  // namespace brindle
