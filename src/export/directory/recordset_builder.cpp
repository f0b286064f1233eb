#include "export/directory/recordset_builder.h"

#include <cstring>

#include "export/directory/recordset_store.h"

namespace brindle {

namespace {

constexpr quint32 kNull = 0;
constexpr std::size_t kChunkSize = 256 * 1024;

QString fromUtf8(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

QString fromUtf16(std::string_view bytes) {
    return QString(reinterpret_cast<const QChar*>(bytes.data()), qsizetype(bytes.size() / sizeof(QChar)));
}

}  // namespace

RecordsetBuilder::RecordsetBuilder(QStringList fieldNames) : m_store(std::make_shared<Recordset::Store>()) {
    m_store->fieldCount = int(fieldNames.size());
    m_store->fieldNames = std::move(fieldNames);
    m_lastTexts.resize(std::size_t(m_store->fieldCount));
    m_values << QVariant();
}

RecordsetBuilder::~RecordsetBuilder() = default;

int RecordsetBuilder::fieldCount() const {
    return m_store->fieldCount;
}

void RecordsetBuilder::addCell(quint32 value) {
    m_store->cells.push_back(value);
}

quint32 RecordsetBuilder::append(QVariant value) {
    m_values << std::move(value);
    return quint32(m_values.size() - 1);
}

quint32 RecordsetBuilder::textNumber(std::string_view bytes, QString (*toText)(std::string_view)) {
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    auto& last = m_lastTexts[m_store->cells.size() % std::size_t(m_store->fieldCount)];
    if (last.first == view && last.first.data() != nullptr) return last.second;
    if (const auto known = m_texts.constFind(view); known != m_texts.constEnd()) {
        last = {known.key(), *known};
        return *known;
    }
    if (bytes.size() > std::size_t(m_chunkEnd - m_chunkNext)) {
        const std::size_t size = std::max(kChunkSize, bytes.size());
        m_chunks.emplace_back(new char[size]);
        m_chunkNext = m_chunks.back().get();
        m_chunkEnd = m_chunkNext + size;
    }
    char* const kept = m_chunkNext;
    std::memcpy(kept, bytes.data(), bytes.size());
    m_chunkNext += bytes.size();
    const quint32 number = append(toText(bytes));
    m_texts.insert(QByteArrayView(kept, view.size()), number);
    last = {QByteArrayView(kept, view.size()), number};
    return number;
}

void RecordsetBuilder::addNull() {
    addCell(kNull);
}

void RecordsetBuilder::addInteger(qint64 number) {
    auto known = m_integers.constFind(number);
    if (known == m_integers.constEnd()) known = m_integers.insert(number, append(QVariant(number)));
    addCell(*known);
}

void RecordsetBuilder::addUtf8(std::string_view text) {
    addCell(textNumber(text, fromUtf8));
}

void RecordsetBuilder::addUtf16(const char16_t* text, qsizetype length) {
    addCell(textNumber(std::string_view(reinterpret_cast<const char*>(text), std::size_t(length) * 2),
                       fromUtf16));
}

void RecordsetBuilder::addValue(const QVariant& value) {
    if (value.isNull()) return addNull();
    const int type = value.metaType().id();
    if (type == QMetaType::QString) {
        const QString& text = *static_cast<const QString*>(value.constData());
        auto known = m_qtTexts.constFind(text);
        if (known == m_qtTexts.constEnd()) known = m_qtTexts.insert(text, append(value));
        return addCell(*known);
    }
    if (type == QMetaType::LongLong) return addInteger(value.toLongLong());
    if (type == QMetaType::Int) {
        const std::pair<int, qint64> key{type, value.toLongLong()};
        auto known = m_numbers.constFind(key);
        if (known == m_numbers.constEnd()) known = m_numbers.insert(key, append(value));
        return addCell(*known);
    }
    addCell(append(value));
}

Recordset RecordsetBuilder::take() {
    m_store->values = std::make_shared<const QList<QVariant>>(std::move(m_values));
    const qsizetype count = m_store->rowCount();
    return Recordset(std::move(m_store), 0, count);
}

}  // namespace brindle
