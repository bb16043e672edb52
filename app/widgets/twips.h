// Window positions and sizes are kept in twips, as the forms were laid out;
// the screen has 15 twips per pixel, times the display scale of the window
// being built (1 unless korvana draws a large window smaller to fit a small
// screen, see form.h).
#pragma once

#include <QRect>
#include <QSize>
#include <cmath>

namespace korvana::forms {

inline constexpr int TWIPS_PER_PIXEL = 15;

//! The display scale of the window whose controls are being placed.
inline double& currentDisplayScale() {
    static double scale = 1.0;
    return scale;
}

//! Keeps the display scale of the window being built and puts it back when
//! done, so a window built while another is being built has its own.
class DisplayScaleGuard {
public:
    DisplayScaleGuard() : m_saved(currentDisplayScale()) {}
    ~DisplayScaleGuard() { currentDisplayScale() = m_saved; }
    DisplayScaleGuard(const DisplayScaleGuard&) = delete;
    DisplayScaleGuard& operator=(const DisplayScaleGuard&) = delete;

private:
    double m_saved;
};

//! Pixels of a length in twips, rounded to the nearest pixel.
inline int twipsToPixels(int twips) {
    return static_cast<int>(
        std::lround(static_cast<double>(twips) * currentDisplayScale() / TWIPS_PER_PIXEL));
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
