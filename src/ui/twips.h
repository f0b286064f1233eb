#pragma once

#include <QRect>

namespace brindle {

// The window's layout is kept in twips, the unit it was designed in; 15 twips make a pixel
// at 96 dots per inch.
constexpr int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}

constexpr QRect twipRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

}  // namespace brindle
