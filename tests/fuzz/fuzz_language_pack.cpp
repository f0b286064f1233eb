#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "localize/language_pack.h"

// fromRawData does not copy: the reader sees libFuzzer's own buffer, sized exactly, so that
// AddressSanitizer reports a read even one byte past the input's end.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto pack = brindle::loadLanguagePackFromBytes(bytes)) (void)pack->text(0);
    return 0;
}
