#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <string_view>
#include <vector>

#include "export/directory/recordset.h"

namespace brindle {

// Builds a recordset cell by cell, row after row, keeping every distinct value once: a
// driver's text becomes a QString only the first time it occurs. The texts of one builder
// come in one form, either UTF-8 or UTF-16 (units in the machine's byte order).
class RecordsetBuilder {
public:
    explicit RecordsetBuilder(QStringList fieldNames);
    ~RecordsetBuilder();
    RecordsetBuilder(const RecordsetBuilder&) = delete;
    RecordsetBuilder& operator=(const RecordsetBuilder&) = delete;

    int fieldCount() const;

    void addNull();
    void addInteger(qint64 number);
    void addUtf8(std::string_view text);
    void addUtf16(const char16_t* text, qsizetype length);
    void addValue(const QVariant& value);  // any value a driver already made

    // The rows added so far, which must be whole; the builder is spent afterwards.
    Recordset take();

private:
    void addCell(quint32 value);
    quint32 append(QVariant value);
    quint32 textNumber(std::string_view bytes, QString (*toText)(std::string_view));

    std::shared_ptr<Recordset::Store> m_store;
    QList<QVariant> m_values;
    // Distinct texts by the bytes the driver gave, copied into chunks that never move.
    QHash<QByteArrayView, quint32> m_texts;
    std::vector<std::pair<QByteArrayView, quint32>> m_lastTexts;  // by field: runs of one value are common
    std::vector<std::unique_ptr<char[]>> m_chunks;
    char* m_chunkNext = nullptr;
    char* m_chunkEnd = nullptr;
    QHash<QString, quint32> m_qtTexts;
    QHash<qint64, quint32> m_integers;
    QHash<std::pair<int, qint64>, quint32> m_numbers;  // numbers of other types, by type
};

}  // namespace brindle
