#include "localize/language_pack.h"

#include <QHash>
#include <QtEndian>
#include <algorithm>
#include <optional>
#include <vector>

#include "platform/regular_file.h"

namespace brindle {

namespace {

constexpr qint64 kLargestPack = 16 * 1024 * 1024;

constexpr quint16 kDosMagic = 0x5A4D;         // "MZ"
constexpr quint32 kPeSignature = 0x00004550;  // "PE\0\0"
constexpr quint16 kPe32Magic = 0x10B;
constexpr quint16 kPe32PlusMagic = 0x20B;
constexpr quint32 kResourceDirectory = 2;
constexpr quint32 kStringType = 6;
constexpr quint32 kSubdirectory = 0x80000000u;
constexpr quint32 kNamedEntry = 0x80000000u;
constexpr int kTextsPerBlock = 16;
// String IDs are 16 bits wide, so blocks run from 1 to 4096.
constexpr quint32 kLastBlock = 4096;

class PackTexts : public StringSource {
public:
    explicit PackTexts(QHash<int, QString> texts) : m_texts(std::move(texts)) {}

    std::optional<QString> text(int id) const override {
        const auto found = m_texts.constFind(id);
        if (found == m_texts.cend()) return std::nullopt;
        return *found;
    }

private:
    QHash<int, QString> m_texts;
};

// A stretch of the file. A read that does not lie whole inside it gives 0 and marks the whole
// reading failed, so every read is safe and the verdict can wait until the end.
class Window {
public:
    Window(const uchar* data, quint64 size, bool* failed) : m_data(data), m_size(size), m_failed(failed) {}

    quint64 size() const { return m_size; }
    bool holds(quint64 offset, quint64 length) const { return offset <= m_size && length <= m_size - offset; }

    Window part(quint64 offset, quint64 length) const {
        if (!holds(offset, length)) return nothing();
        return Window(m_data + offset, length, m_failed);
    }
    quint16 u16(quint64 offset) const {
        if (!holds(offset, 2)) return fail(), 0;
        return qFromLittleEndian<quint16>(m_data + offset);
    }
    quint32 u32(quint64 offset) const {
        if (!holds(offset, 4)) return fail(), 0;
        return qFromLittleEndian<quint32>(m_data + offset);
    }

    void fail() const { *m_failed = true; }
    Window nothing() const {
        fail();
        return Window(m_data, 0, m_failed);
    }

private:
    const uchar* m_data;
    quint64 m_size;
    bool* m_failed;
};

struct Section {
    quint32 virtualAddress;
    quint64 fileOffset;
    quint64 length;  // the part of the image that the file holds
};

class Image {
public:
    explicit Image(const QByteArray& bytes)
        : m_file(reinterpret_cast<const uchar*>(bytes.constData()), quint64(bytes.size()), &m_failed) {}
    Q_DISABLE_COPY_MOVE(Image)

    bool failed() const { return m_failed; }
    const Window& file() const { return m_file; }

    void addSection(const Window& header) {
        const quint32 virtualSize = header.u32(8);
        const quint32 rawSize = header.u32(16);
        const quint32 rawOffset = header.u32(20);
        quint64 length = virtualSize != 0 ? std::min(virtualSize, rawSize) : rawSize;
        length = m_file.holds(rawOffset, 0) ? std::min<quint64>(length, m_file.size() - rawOffset) : 0;
        m_sections.push_back({header.u32(12), rawOffset, length});
    }

    // The image's bytes from `rva` to the end of the section that holds it.
    Window atRva(quint32 rva) const {
        for (const Section& section : m_sections) {
            const quint64 offset = quint64(rva) - section.virtualAddress;
            if (rva >= section.virtualAddress && offset < section.length)
                return m_file.part(section.fileOffset + offset, section.length - offset);
        }
        return m_file.nothing();
    }

private:
    bool m_failed = false;
    Window m_file;
    std::vector<Section> m_sections;
};

// The RVA of the resource directory, or 0 when the image has none; records the sections.
quint32 readHeaders(Image& image) {
    const Window& file = image.file();
    if (file.size() < 64 || file.u16(0) != kDosMagic) return file.fail(), 0;
    const quint32 peOffset = file.u32(0x3C);
    const Window coff = file.part(peOffset, 24);
    if (coff.u32(0) != kPeSignature) return file.fail(), 0;
    const quint16 sectionCount = coff.u16(6);
    const quint16 optionalSize = coff.u16(20);
    const Window optional = file.part(quint64(peOffset) + 24, optionalSize);
    const quint16 magic = optional.u16(0);
    if (magic != kPe32Magic && magic != kPe32PlusMagic) return file.fail(), 0;
    const quint64 countAt = magic == kPe32Magic ? 92 : 108;
    const quint64 directoriesAt = countAt + 4;

    const Window sections = file.part(quint64(peOffset) + 24 + optionalSize, quint64(sectionCount) * 40);
    for (quint64 i = 0; i < sectionCount && !image.failed(); ++i) image.addSection(sections.part(i * 40, 40));

    if (optional.u32(countAt) <= kResourceDirectory) return 0;
    return optional.u32(directoriesAt + kResourceDirectory * 8);
}

quint32 entryCount(const Window& resources, quint32 directory) {
    return quint32(resources.u16(quint64(directory) + 12)) + resources.u16(quint64(directory) + 14);
}

Window entry(const Window& resources, quint32 directory, quint32 index) {
    return resources.part(quint64(directory) + 16 + quint64(index) * 8, 8);
}

// Adds the texts of one block's data to `texts`; data that ends early leaves the remaining
// texts missing. `budget` is how many more characters the whole pack may hold: blocks may share
// their data, and a file of n bytes holds at most n / 2 characters of its own, so a budget of n
// runs out only for a hostile file, not for a large one.
void readBlock(const Window& data, int firstId, quint64& budget, QHash<int, QString>& texts) {
    quint64 at = 0;
    for (int i = 0; i < kTextsPerBlock && at < data.size(); ++i) {
        const quint16 length = data.u16(at);
        at += 2;
        if (!data.holds(at, quint64(length) * 2) || length > budget) return data.fail();
        budget -= length;
        QString text(length, Qt::Uninitialized);
        for (QChar& c : text) {
            c = QChar(data.u16(at));
            at += 2;
        }
        if (length > 0) texts.insert(firstId + i, text);
    }
}

std::optional<QHash<int, QString>> readStrings(const QByteArray& bytes) {
    Image image(bytes);
    const quint32 resourceRva = readHeaders(image);
    if (image.failed()) return std::nullopt;
    QHash<int, QString> texts;
    if (resourceRva == 0) return texts;
    const Window resources = image.atRva(resourceRva);

    std::optional<quint32> blocks;
    const quint32 typeCount = entryCount(resources, 0);
    for (quint32 i = 0; i < typeCount && !blocks && !image.failed(); ++i) {
        const Window type = entry(resources, 0, i);
        if (type.u32(0) != kStringType) continue;
        if (!(type.u32(4) & kSubdirectory)) return std::nullopt;
        blocks = type.u32(4) & ~kSubdirectory;
    }
    if (image.failed()) return std::nullopt;
    if (!blocks) return texts;

    // Only these three levels are ever walked, so a directory that lists itself cannot lead
    // round in circles; it ends up where a data entry should be and the file is refused.
    std::vector<bool> seen(kLastBlock + 1, false);
    quint64 budget = quint64(bytes.size());
    const quint32 blockCount = entryCount(resources, *blocks);
    for (quint32 i = 0; i < blockCount && !image.failed(); ++i) {
        const Window block = entry(resources, *blocks, i);
        const quint32 blockId = block.u32(0);
        if ((blockId & kNamedEntry) || blockId == 0 || blockId > kLastBlock || seen[blockId]) continue;
        seen[blockId] = true;
        if (!(block.u32(4) & kSubdirectory)) return std::nullopt;
        const quint32 languages = block.u32(4) & ~kSubdirectory;
        if (entryCount(resources, languages) == 0) continue;
        const quint32 dataEntry = entry(resources, languages, 0).u32(4);
        if (dataEntry & kSubdirectory) return std::nullopt;
        const Window description = resources.part(dataEntry, 16);
        const Window data = image.atRva(description.u32(0)).part(0, description.u32(4));
        readBlock(data, int(blockId - 1) * kTextsPerBlock, budget, texts);
    }
    if (image.failed()) return std::nullopt;
    return texts;
}

}  // namespace

std::unique_ptr<StringSource> loadLanguagePackFromBytes(const QByteArray& bytes) {
    if (bytes.size() > kLargestPack) return nullptr;
    std::optional<QHash<int, QString>> texts = readStrings(bytes);
    if (!texts) return nullptr;
    return std::make_unique<PackTexts>(std::move(*texts));
}

std::unique_ptr<StringSource> loadLanguagePack(const QString& path) {
    // A pipe or a device in a pack's place neither blocks nor gets read.
    const RegularFileRead file = readRegularFile(path, kLargestPack);
    if (file.outcome != RegularFileRead::Outcome::Read) return nullptr;
    return loadLanguagePackFromBytes(file.bytes);
}

}  // namespace brindle
