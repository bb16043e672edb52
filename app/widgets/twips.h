// Window positions and sizes are kept in twips, as the forms were laid out;
// the screen has 15 twips per pixel.
#pragma once

#include <QRect>
#include <QSize>
#include <cmath>

namespace korvana::forms {

inline constexpr int TWIPS_PER_PIXEL = 15;

//! Pixels of a length in twips, rounded to the nearest pixel.
inline int twipsToPixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / TWIPS_PER_PIXEL));
}

//! left, top, width, height in twips.
struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    QRect toPixels() const {
        return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                     twipsToPixels(height));
    }
};

inline QSize twipSizeToPixels(int widthTwips, int heightTwips) {
    return QSize(twipsToPixels(widthTwips), twipsToPixels(heightTwips));
}

}  // namespace korvana::forms
