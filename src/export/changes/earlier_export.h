#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>
#include <vector>

#include "platform/result.h"

namespace brindle {

// An export this program wrote before, read back to be compared with a new one: any of its
// separators, quoted or not, UTF-8 with or without the mark, or Windows-1252 where the bytes
// are not UTF-8. The separator is the one after the header's first field, which must be ALIAS.
// The text is kept once, as UTF-8; a row's values are taken apart again only when asked for.
class EarlierExport {
public:
    // The file at `path`, checked whole before anything is kept: an Error names the file and
    // the line of its first fault (a field count that differs from the header's, a quote never
    // closed, no ALIAS first in the header), or says why it is no export to read (missing, not
    // a regular file, a workbook).
    static Result<EarlierExport> read(const QString& path);

    const QString& path() const { return m_path; }
    const QStringList& columns() const { return m_columns; }
    // Each alias that is on one line only, as UTF-8, to its row.
    const QHash<QByteArray, qsizetype>& rowOfAlias() const { return m_rowOfAlias; }
    // The aliases on more than one line, each once, in the order of their second line.
    const QList<QByteArray>& duplicateAliases() const { return m_duplicates; }
    // The row's values as the file holds them, one per column.
    QStringList values(qsizetype row) const;

private:
    QString m_path;
    QByteArray m_text;     // UTF-8, without the mark; the unquoted aliases are views of it
    char m_separator = 0;  // 0: one field on each line, and an empty line after each row
    QStringList m_columns;
    std::vector<qsizetype> m_rowStarts;
    QHash<QByteArray, qsizetype> m_rowOfAlias;
    QList<QByteArray> m_duplicates;
};

}  // namespace brindle
