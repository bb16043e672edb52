#include "app/forms/pictures.h"

#include <QString>
#include <array>

#include "app/widgets/palette.h"
#include "app/widgets/picture_box.h"

namespace korvana::forms {

void drawTubeIcon(PictureBox& picture) {
    picture.setBackColor(rgbColor(235, 235, 235));
    picture.clear();
    picture.setScale(0, 0, 32, 32);
    picture.filledRectangle(6, 3, 26, 11, rgbColor(90, 90, 120));   // tube housing
    picture.filledRectangle(13, 11, 19, 13, rgbColor(40, 40, 40));  // window
    const QColor beam = rgbColor(240, 170, 0);
    for (int x = 10; x <= 22; x += 3) picture.line(16, 13, x, 28, beam);
    picture.filledRectangle(8, 27, 24, 30, rgbColor(230, 180, 150));  // object
}

void drawResultsIcon(PictureBox& picture) {
    picture.setBackColor(rgbColor(245, 245, 245));
    picture.clear();
    picture.setScale(0, 0, 32, 32);
    picture.rectangle(3, 3, 28, 28, paletteColor(0));
    const std::array<int, 7> heights = {26, 20, 12, 8, 14, 22, 25};
    picture.setDrawWidth(1);
    picture.point(4, 27, paletteColor(12));
    for (std::size_t i = 0; i < heights.size(); ++i) {
        picture.lineTo(5 + 3.5 * static_cast<double>(i), heights[i], paletteColor(12));
    }
    picture.setDrawWidth(2);
    picture.point(10, 24, paletteColor(9));
    for (std::size_t i = 0; i < heights.size(); ++i) {
        picture.lineTo(7 + 3.5 * static_cast<double>(i), heights[i] / 2.0 + 13, paletteColor(9));
    }
    picture.setDrawWidth(1);
}

}  // namespace korvana::forms
