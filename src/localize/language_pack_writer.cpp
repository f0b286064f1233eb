#include "localize/language_pack_writer.h"

#include <QtEndian>
#include <array>
#include <cstring>

namespace brindle {

namespace {

constexpr quint32 kPeOffset = 0x40;
constexpr quint32 kOptionalHeaderSize = 240;
constexpr quint32 kSectionHeaderAt = kPeOffset + 4 + 20 + kOptionalHeaderSize;
constexpr quint32 kFileAlignment = 0x200;
constexpr quint32 kSectionAlignment = 0x1000;
constexpr quint32 kHeadersSize = kFileAlignment;
constexpr quint32 kResourceRva = kSectionAlignment;
constexpr quint32 kStringType = 6;
constexpr quint32 kSubdirectory = 0x80000000u;
constexpr int kTextsPerBlock = 16;
constexpr int kLargestId = 0xFFFF;
constexpr qsizetype kLongestText = 0xFFFF;
// The most loadLanguagePack reads; this also keeps every offset well within 32 bits.
constexpr quint64 kLargestImage = 16 * 1024 * 1024;

constexpr quint32 alignedUp(quint32 value, quint32 alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

class Bytes {
public:
    explicit Bytes(quint32 size) : m_bytes(qsizetype(size), '\0') {}

    void u16(quint32 at, quint16 value) { qToLittleEndian(value, m_bytes.data() + at); }
    void u32(quint32 at, quint32 value) { qToLittleEndian(value, m_bytes.data() + at); }
    void u64(quint32 at, quint64 value) { qToLittleEndian(value, m_bytes.data() + at); }
    void raw(quint32 at, const char* text, size_t length) { std::memcpy(m_bytes.data() + at, text, length); }

    QByteArray take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
};

using Block = std::array<QString, kTextsPerBlock>;

// A resource directory with `count` ID entries and nothing else.
void writeDirectory(Bytes& bytes, quint32 at, quint16 count) {
    bytes.u16(at + 14, count);
}

void writeEntry(Bytes& bytes, quint32 directory, quint32 index, quint32 id, quint32 target) {
    bytes.u32(directory + 16 + index * 8, id);
    bytes.u32(directory + 20 + index * 8, target);
}

quint32 blockDataSize(const Block& block) {
    quint32 size = 0;
    for (const QString& text : block) size += 2 + 2 * quint32(text.size());
    return size;
}

// The .rsrc section: the three directory levels, then the data entries, then the blocks' texts,
// each block starting on a 4-byte boundary.
QByteArray resourceSection(const QMap<quint32, Block>& blocks, quint16 language) {
    const quint32 blockCount = quint32(blocks.size());
    const quint32 namesAt = 24;
    const quint32 languagesAt = namesAt + 16 + 8 * blockCount;
    const quint32 entriesAt = languagesAt + 24 * blockCount;
    quint32 size = entriesAt + 16 * blockCount;
    for (const Block& block : blocks) size = alignedUp(size, 4) + blockDataSize(block);

    Bytes bytes(size);
    writeDirectory(bytes, 0, 1);
    writeEntry(bytes, 0, 0, kStringType, kSubdirectory | namesAt);
    writeDirectory(bytes, namesAt, quint16(blockCount));
    quint32 index = 0;
    quint32 dataAt = entriesAt + 16 * blockCount;
    for (auto block = blocks.cbegin(); block != blocks.cend(); ++block, ++index) {
        const quint32 languageAt = languagesAt + 24 * index;
        const quint32 entryAt = entriesAt + 16 * index;
        dataAt = alignedUp(dataAt, 4);
        writeEntry(bytes, namesAt, index, block.key(), kSubdirectory | languageAt);
        writeDirectory(bytes, languageAt, 1);
        writeEntry(bytes, languageAt, 0, language, entryAt);
        bytes.u32(entryAt, kResourceRva + dataAt);
        bytes.u32(entryAt + 4, blockDataSize(*block));
        for (const QString& text : *block) {
            bytes.u16(dataAt, quint16(text.size()));
            dataAt += 2;
            for (const QChar c : text) {
                bytes.u16(dataAt, c.unicode());
                dataAt += 2;
            }
        }
    }
    return bytes.take();
}

void writeHeaders(Bytes& bytes, quint32 resourceSize, quint32 rawSize) {
    bytes.raw(0, "MZ", 2);
    bytes.u32(0x3C, kPeOffset);
    bytes.raw(kPeOffset, "PE\0\0", 4);

    const quint32 coff = kPeOffset + 4;
    bytes.u16(coff, 0x8664);  // x86-64
    bytes.u16(coff + 2, 1);   // sections
    // The time stamp stays 0, so that a table always makes the same bytes.
    bytes.u16(coff + 16, kOptionalHeaderSize);
    bytes.u16(coff + 18, 0x2002);  // DLL | EXECUTABLE_IMAGE

    const quint32 optional = coff + 20;
    bytes.u16(optional, 0x20B);              // PE32+
    bytes.u32(optional + 8, rawSize);        // SizeOfInitializedData
    bytes.u32(optional + 20, kResourceRva);  // BaseOfCode
    bytes.u64(optional + 24, 0x180000000);   // ImageBase
    bytes.u32(optional + 32, kSectionAlignment);
    bytes.u32(optional + 36, kFileAlignment);
    bytes.u16(optional + 40, 6);  // MajorOperatingSystemVersion
    bytes.u16(optional + 48, 6);  // MajorSubsystemVersion
    bytes.u32(optional + 56, kResourceRva + alignedUp(resourceSize, kSectionAlignment));
    bytes.u32(optional + 60, kHeadersSize);
    bytes.u16(optional + 68, 2);         // the Windows GUI subsystem
    bytes.u16(optional + 70, 0x0160);    // HIGH_ENTROPY_VA | DYNAMIC_BASE | NX_COMPAT
    bytes.u64(optional + 72, 0x100000);  // stack reserve, commit; heap reserve, commit
    bytes.u64(optional + 80, 0x1000);
    bytes.u64(optional + 88, 0x100000);
    bytes.u64(optional + 96, 0x1000);
    bytes.u32(optional + 108, 16);  // data directories
    bytes.u32(optional + 112 + 2 * 8, kResourceRva);
    bytes.u32(optional + 112 + 2 * 8 + 4, resourceSize);

    const quint32 section = kSectionHeaderAt;
    bytes.raw(section, ".rsrc", 5);
    bytes.u32(section + 8, resourceSize);
    bytes.u32(section + 12, kResourceRva);
    bytes.u32(section + 16, rawSize);
    bytes.u32(section + 20, kHeadersSize);
    bytes.u32(section + 36, 0x40000040);  // INITIALIZED_DATA | MEM_READ
}

}  // namespace

QByteArray languagePackImage(const QMap<int, QString>& texts, quint16 language) {
    QMap<quint32, Block> blocks;
    quint64 textBytes = 0;
    for (auto text = texts.cbegin(); text != texts.cend(); ++text) {
        if (text.key() < 0 || text.key() > kLargestId || text->size() > kLongestText) return {};
        textBytes += 2 * quint64(text->size());
        if (textBytes > kLargestImage) return {};
        blocks[quint32(text.key() / kTextsPerBlock + 1)][text.key() % kTextsPerBlock] = *text;
    }
    const QByteArray resources = resourceSection(blocks, language);
    const quint32 resourceSize = quint32(resources.size());
    const quint32 rawSize = alignedUp(resourceSize, kFileAlignment);
    if (kHeadersSize + rawSize > kLargestImage) return {};

    Bytes bytes(kHeadersSize + rawSize);
    writeHeaders(bytes, resourceSize, rawSize);
    QByteArray image = bytes.take();
    std::memcpy(image.data() + kHeadersSize, resources.constData(), size_t(resources.size()));
    return image;
}

}  // namespace brindle
