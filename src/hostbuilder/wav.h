#pragma once

#include <QByteArray>

namespace brindle::fixture {

// A small valid WAV file: 8 kHz, mono, 16-bit PCM, a tone of `hertz` for `milliseconds`.
QByteArray toneWav(int hertz, int milliseconds);

}  // namespace brindle::fixture
