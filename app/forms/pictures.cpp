#include "app/forms/pictures.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cmath>

#include "app/widgets/palette.h"
#include "app/widgets/picture_box.h"

namespace korvana::forms {

namespace {

constexpr double DEG_TO_RAD = 3.14159265358979 / 180.0;
constexpr double CURTAIN_X_CM = 20;       // plane of the curtain
constexpr double POINTS_X_CM = 100;       // plane of the measuring points
constexpr double PHANTOM_HALF_X_CM = 15;  // object 30 cm wide along x
constexpr double CURTAIN_FOCUS_GAP_CM = 20;

//! Sets a scale of equal units on both axes that shows [x0, x1] x [z0, z1] in cm.
void fitScale(PictureBox& picture, double x0, double x1, double z0, double z1) {
    const double w = picture.image().width();
    const double h = picture.image().height();
    const double unitsPerPixel = std::max((x1 - x0) / w, (z1 - z0) / h);
    const double width = w * unitsPerPixel;
    const double height = h * unitsPerPixel;
    picture.setScale(x0 - (width - (x1 - x0)) / 2, z0 - (height - (z1 - z0)) / 2, width, height);
}

void arrowHeads(PictureBox& picture, double x, double zTop, double zBottom, double size,
                const QColor& colour) {
    picture.line(x, zTop, x - size / 2, zTop + size, colour);
    picture.line(x, zTop, x + size / 2, zTop + size, colour);
    picture.line(x, zBottom, x - size / 2, zBottom - size, colour);
    picture.line(x, zBottom, x + size / 2, zBottom - size, colour);
}

}  // namespace

void drawGeometrySketch(PictureBox& picture, const GeometrySketch& sketch) {
    const double t = std::clamp(sketch.phantomThicknessCm, 0.0, 60.0);
    const double fsd = std::clamp(sketch.focusSurfaceCm, 0.0, 300.0);
    const double longest = sketch.focusSurfaceCm - CURTAIN_FOCUS_GAP_CM + sketch.phantomThicknessCm;
    const bool lengthAccepted = sketch.curtainLengthCm <= longest;

    picture.clear();
    picture.setDrawWidth(1);
    fitScale(picture, -45, 125, -std::max(fsd, 110.0) - 14, std::max(t, 110.0) + 18);
    const double unit = picture.toPixelF(1, 0).x() - picture.toPixelF(0, 0).x();  // pixels per cm
    const double px = 1 / unit;                                                   // cm per pixel

    const QColor grey = paletteColor(8);
    const QColor black = paletteColor(0);
    const QColor blue = paletteColor(9);
    const QColor red = paletteColor(12);

    picture.text(-43, -std::max(fsd, 110.0) - 12, QStringLiteral("x-z 断面 (cm)"), black);

    // Object, ICRU soft tissue, 30 cm wide along x.
    picture.filledRectangle(-PHANTOM_HALF_X_CM, 0, PHANTOM_HALF_X_CM, t, rgbColor(255, 214, 170));
    picture.rectangle(-PHANTOM_HALF_X_CM, 0, PHANTOM_HALF_X_CM, t, black);

    // Beam from the focus through the field edges on the entrance surface, to the far surface.
    const double half = std::max(sketch.fieldShortCm, 0.0) / 2;
    const QColor beam = rgbColor(230, 160, 0);
    const double spread = fsd > 0 ? (fsd + t) / fsd : 1;
    picture.line(0, -fsd, -half * spread, t, beam);
    picture.line(0, -fsd, half * spread, t, beam);
    picture.setDrawWidth(3);
    picture.point(0, -fsd, red);
    picture.setDrawWidth(1);
    picture.text(3, -fsd - 4, QStringLiteral("焦点"), black);

    // FSD dimension on the left.
    picture.line(-30, -fsd, -30, 0, blue);
    arrowHeads(picture, -30, -fsd, 0, 4 * px * 2, blue);
    picture.text(-44, -fsd / 2 - 4, QStringLiteral("FSD"), blue);

    // Measuring points 45 to 135 degrees at x = 100 cm, z = 100 cot(angle).
    for (int angle = 45; angle <= 135; angle += 15) {
        const double z = POINTS_X_CM / std::tan(angle * DEG_TO_RAD);
        picture.line(0, 0, POINTS_X_CM, z, rgbColor(200, 200, 200));
        picture.filledRectangle(POINTS_X_CM - 2 * px, z - 2 * px, POINTS_X_CM + 2 * px, z + 2 * px,
                                grey);
        if (angle % 45 == 0) picture.text(POINTS_X_CM + 3, z - 4, QString::number(angle) + "°");
    }
    picture.line(POINTS_X_CM, -110, POINTS_X_CM, 110, grey);
    picture.text(POINTS_X_CM - 18, 112, QStringLiteral("x = 100"), grey);

    // Curtain at x = 20 cm, covering z <= thickness - L towards the focus.
    const double curtainEnd = sketch.phantomThicknessCm - sketch.curtainLengthCm;
    const double top = -std::max(fsd, 110.0) - 14;
    const QColor curtainColour = lengthAccepted ? rgbColor(60, 60, 60) : red;
    picture.setDrawWidth(3);
    if (curtainEnd > top) picture.line(CURTAIN_X_CM, top, CURTAIN_X_CM, curtainEnd, curtainColour);
    picture.setDrawWidth(1);
    picture.text(
        CURTAIN_X_CM + 2, top + 14,
        sketch.curtainEntered ? QStringLiteral("鉛カーテン") : QStringLiteral("(鉛カーテン)"),
        curtainColour);
    if (sketch.curtainLengthCm > 0) {
        picture.line(CURTAIN_X_CM + 6, curtainEnd, CURTAIN_X_CM + 6, t, blue);
        arrowHeads(picture, CURTAIN_X_CM + 6, std::min(curtainEnd, t), std::max(curtainEnd, t),
                   8 * px, blue);
        picture.line(PHANTOM_HALF_X_CM, t, CURTAIN_X_CM + 10, t, blue);
        picture.text(CURTAIN_X_CM + 8, (curtainEnd + t) / 2 - 4, QStringLiteral("L"), blue);
    }
}

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

void drawSceneSideView(PictureBox& picture) {
    GeometrySketch sketch;
    sketch.curtainLengthCm = 10;
    sketch.curtainEntered = true;
    drawGeometrySketch(picture, sketch);
}

void drawSceneTopView(PictureBox& picture) {
    picture.clear();
    fitScale(picture, -40, 125, -40, 40);
    const QColor black = paletteColor(0);
    picture.text(-38, -38, QStringLiteral("x-y (焦点側から)"), black);
    picture.filledRectangle(-15, -20, 15, 20, rgbColor(255, 214, 170));
    picture.rectangle(-15, -20, 15, 20, black);
    picture.rectangle(-12.5, -12.5, 12.5, 12.5, rgbColor(230, 160, 0));
    picture.setDrawWidth(3);
    picture.line(20, -38, 20, 38, rgbColor(60, 60, 60));
    picture.setDrawWidth(1);
    picture.text(22, 28, QStringLiteral("カーテン"), black);
    picture.filledRectangle(98, -2, 102, 2, paletteColor(8));
    picture.text(86, 6, QStringLiteral("計測点"), black);
    picture.text(-14, 22, QStringLiteral("40 × 30 cm"), black);
}

}  // namespace korvana::forms
