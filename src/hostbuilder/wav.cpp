#include "hostbuilder/wav.h"

#include <QDataStream>
#include <QIODevice>
#include <cmath>
#include <numbers>

namespace brindle::fixture {

QByteArray toneWav(int hertz, int milliseconds) {
    constexpr quint32 kRate = 8000;
    constexpr quint16 kBits = 16;
    const quint32 samples = kRate * static_cast<quint32>(milliseconds) / 1000;
    const quint32 dataBytes = samples * (kBits / 8);

    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << kRate << quint32(kRate * kBits / 8)
        << quint16(kBits / 8) << kBits;
    out.writeRawData("data", 4);
    out << dataBytes;
    for (quint32 i = 0; i < samples; ++i) {
        out << qint16(std::lround(6000 * std::sin(2 * std::numbers::pi * hertz * i / kRate)));
    }
    return wav;
}

}  // namespace brindle::fixture
