#include "app/forms/scene_drawing.h"

#include <QString>
#include <algorithm>
#include <cmath>

#include "app/widgets/palette.h"
#include "app/widgets/picture_box.h"
#include "common/curtain_rule.h"
#include "common/result_layout.h"
#include "engine/transport/geometry.h"

namespace korvana::forms {

namespace {

constexpr double CURTAIN_X_CM = CURTAIN_PLANE_X_CM;
constexpr double POINTS_X_CM = engine::POINT_PLANE_X;

//! The part of the view around the elements [cm].
struct Bounds {
    double x0, x1, z0, z1;
    void hold(double x, double z) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        z0 = std::min(z0, z);
        z1 = std::max(z1, z);
    }
};

//! Sets a scale of equal units on both axes that shows [x0, x1] x [z0, z1] in cm.
void fitScale(PictureBox& picture, const Bounds& b) {
    const double w = picture.image().width();
    const double h = picture.image().height();
    const double unitsPerPixel = std::max((b.x1 - b.x0) / w, (b.z1 - b.z0) / h);
    const double width = w * unitsPerPixel;
    const double height = h * unitsPerPixel;
    picture.setScale(b.x0 - (width - (b.x1 - b.x0)) / 2, b.z0 - (height - (b.z1 - b.z0)) / 2, width,
                     height);
}

void arrowHeads(PictureBox& picture, double x, double zTop, double zBottom, double size,
                const QColor& colour) {
    picture.line(x, zTop, x - size / 2, zTop + size, colour);
    picture.line(x, zTop, x + size / 2, zTop + size, colour);
    picture.line(x, zBottom, x - size / 2, zBottom - size, colour);
    picture.line(x, zBottom, x + size / 2, zBottom - size, colour);
}

QString qText(const std::string& text) { return QString::fromStdString(text); }
QString number(double value) { return QString::number(value, 'g', 4); }

//! A shield's trace in the x-z plane (scene_file.h's), as two ends.
struct Trace {
    double x1, z1, x2, z2;
};
Trace traceOf(const SceneShield& shield) {
    const ShieldTrace t = shieldTrace(shield);
    return {t.lowEndXZ[0], t.lowEndXZ[1], t.highEndXZ[0], t.highEndXZ[1]};
}

bool finite(double value) { return std::isfinite(value) && std::abs(value) <= SCENE_REACH_CM; }

bool pointShown(const GeometrySketch& sketch, int index) {
    return sketch.allMeasuringPoints || (index >= FIRST_SHOWN_POINT && index <= LAST_SHOWN_POINT);
}

const QColor& shieldColour() {
    static const QColor colour = rgbColor(40, 70, 170);
    return colour;
}
const QColor& eyeColour() {
    static const QColor colour = rgbColor(0, 140, 60);
    return colour;
}
const QColor& tableColour() {
    static const QColor colour = rgbColor(120, 120, 150);
    return colour;
}

}  // namespace

void drawGeometrySketch(PictureBox& picture, const GeometrySketch& sketch) {
    const double t = std::clamp(sketch.phantomThicknessCm, 0.0, 60.0);
    const double fsd = std::clamp(sketch.focusSurfaceCm, 0.0, 300.0);
    const double longest = longestCurtainCm(sketch.focusSurfaceCm, sketch.phantomThicknessCm);
    const bool lengthAccepted = sketch.curtainLengthCm <= longest;
    const SceneDescription& scene = sketch.scene;
    const ObjectExtent object = objectExtentFor(t);

    // Every element inside the view, at one scale.
    Bounds view{-45, 125, -std::max(fsd, 110.0) - 14, std::max(t, 110.0) + 18};
    for (int k = 1; k <= POINT_COUNT; ++k) {
        if (pointShown(sketch, k)) view.hold(POINTS_X_CM, engine::POINT_Z[k] + 10);
        if (pointShown(sketch, k)) view.hold(POINTS_X_CM, engine::POINT_Z[k] - 10);
    }
    for (const SceneShield& shield : scene.shields) {
        const Trace trace = traceOf(shield);
        if (!finite(trace.x1) || !finite(trace.x2) || !finite(trace.z1) || !finite(trace.z2)) {
            continue;
        }
        view.hold(trace.x1 - 5, trace.z1 - 8);
        view.hold(trace.x2 + 5, trace.z2 + 8);
    }
    for (const SceneEyePoint& eye : scene.eyePoints) {
        if (!finite(eye.positionCm[0]) || !finite(eye.positionCm[2])) continue;
        view.hold(eye.positionCm[0] + 25, eye.positionCm[2] + 8);
        view.hold(eye.positionCm[0] - 5, eye.positionCm[2] - 8);
    }

    picture.clear();
    picture.setDrawWidth(1);
    fitScale(picture, view);
    const double unit = picture.toPixelF(1, 0).x() - picture.toPixelF(0, 0).x();  // pixels per cm
    const double px = 1 / unit;                                                   // cm per pixel

    const QColor grey = paletteColor(8);
    const QColor black = paletteColor(0);
    const QColor blue = paletteColor(9);
    const QColor red = paletteColor(12);

    picture.text(view.x0 + 2, view.z0 + 2, QStringLiteral("x-z 断面 (cm)"), black);

    // The object, ICRU soft tissue, 30 cm wide along x.
    picture.filledRectangle(object.xMinCm, object.zMinCm, object.xMaxCm, object.zMaxCm,
                            rgbColor(255, 214, 170));
    picture.rectangle(object.xMinCm, object.zMinCm, object.xMaxCm, object.zMaxCm, black);

    // The table against the exit or the entrance surface; its thickness is
    // an aluminium equivalent, drawn a few pixels thick.
    if (scene.table && finite(scene.table->widthCm)) {
        const double half = scene.table->widthCm / 2;
        const bool exit = scene.table->side == TableSide::Exit;
        const double zFrom = exit ? t : -4 * px;
        const double zTo = exit ? t + 4 * px : 0;
        picture.filledRectangle(-half, zFrom, half, zTo, tableColour());
        picture.text(-half, exit ? t + 6 * px : -16 * px,
                     QStringLiteral("寝台 ") + number(scene.table->alEquivalentMm) +
                         QStringLiteral(" mm Al"),
                     tableColour());
    }

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
    arrowHeads(picture, -30, -fsd, 0, 8 * px, blue);
    picture.text(-44, -fsd / 2 - 4, QStringLiteral("FSD"), blue);

    // The measuring points: discs in their plane, seen edge on.
    for (int k = 1; k <= POINT_COUNT; ++k) {
        if (!pointShown(sketch, k)) continue;
        const double z = engine::POINT_Z[k];
        picture.line(0, 0, POINTS_X_CM, z, rgbColor(200, 200, 200));
        picture.filledRectangle(POINTS_X_CM - 2 * px, z - engine::POINT_DISC_RADIUS,
                                POINTS_X_CM + 2 * px, z + engine::POINT_DISC_RADIUS, grey);
        const int angle = pointAngleDeg(k);
        const QString caption = QString::number(angle) + QStringLiteral("°");
        if (angle % 45 == 0) {
            picture.text(POINTS_X_CM + 3, z - 4, caption, black);
        } else if (sketch.allMeasuringPoints) {
            picture.text(POINTS_X_CM + 3, z - 4, caption, grey);
        }
    }
    picture.line(POINTS_X_CM, view.z0 + 14, POINTS_X_CM, view.z1 - 12, grey);
    picture.text(POINTS_X_CM - 18, view.z1 - 10, QStringLiteral("x = ") + number(POINTS_X_CM),
                 grey);

    // The curtain in its plane, from its top 20 cm below the focus down to
    // its edge at thickness - L; a finite one names its width.
    const double curtainEnd = curtainEdgeZ(sketch.phantomThicknessCm, sketch.curtainLengthCm);
    const double top = -fsd + CURTAIN_TOP_BELOW_FOCUS_CM;
    const QColor curtainColour = lengthAccepted ? rgbColor(60, 60, 60) : red;
    picture.setDrawWidth(3);
    if (curtainEnd > top) picture.line(CURTAIN_X_CM, top, CURTAIN_X_CM, curtainEnd, curtainColour);
    picture.setDrawWidth(1);
    QString curtainName =
        sketch.curtainEntered ? QStringLiteral("鉛カーテン") : QStringLiteral("(鉛カーテン)");
    if (scene.curtain) {
        curtainName +=
            QStringLiteral(" 幅 ") + number(scene.curtain->widthCm) + QStringLiteral(" cm");
    }
    picture.text(CURTAIN_X_CM + 2, top + 2, curtainName, curtainColour);
    if (sketch.curtainLengthCm > 0) {
        picture.line(CURTAIN_X_CM + 6, curtainEnd, CURTAIN_X_CM + 6, t, blue);
        arrowHeads(picture, CURTAIN_X_CM + 6, std::min(curtainEnd, t), std::max(curtainEnd, t),
                   8 * px, blue);
        picture.line(object.xMaxCm, t, CURTAIN_X_CM + 10, t, blue);
        picture.text(CURTAIN_X_CM + 8, (curtainEnd + t) / 2 - 4, QStringLiteral("L"), blue);
    }

    // The shields: each one's trace, tilted about its centre.
    for (const SceneShield& shield : scene.shields) {
        const Trace trace = traceOf(shield);
        if (!finite(trace.x1) || !finite(trace.x2) || !finite(trace.z1) || !finite(trace.z2)) {
            continue;
        }
        picture.setDrawWidth(4);
        picture.line(trace.x1, trace.z1, trace.x2, trace.z2, shieldColour());
        picture.setDrawWidth(1);
        // Over its upper end, clear of the measuring points' captions.
        picture.text(std::min(trace.x1, trace.x2) - 4, std::min(trace.z1, trace.z2) - 16 * px,
                     qText(shield.name) + QStringLiteral(" ") + number(shield.leadMm) +
                         QStringLiteral(" mm Pb"),
                     shieldColour());
    }

    // The eye points by name.
    for (const SceneEyePoint& eye : scene.eyePoints) {
        const double x = eye.positionCm[0];
        const double z = eye.positionCm[2];
        if (!finite(x) || !finite(z)) continue;
        picture.setDrawWidth(2);
        picture.line(x - 3 * px, z - 3 * px, x + 3 * px, z + 3 * px, eyeColour());
        picture.line(x - 3 * px, z + 3 * px, x + 3 * px, z - 3 * px, eyeColour());
        picture.setDrawWidth(1);
        picture.text(x + 3, z - 3, QStringLiteral("目 ") + qText(eye.name), eyeColour());
    }
}

void drawSceneTopView(PictureBox& picture, const GeometrySketch& sketch) {
    const SceneDescription& scene = sketch.scene;
    const ObjectExtent object = objectExtentFor(sketch.phantomThicknessCm);
    Bounds view{-40, 125, -40, 40};
    for (const SceneShield& shield : scene.shields) {
        const Trace trace = traceOf(shield);
        const double y = shield.centreCm[1];
        if (!finite(trace.x1) || !finite(trace.x2) || !finite(y) || !finite(shield.widthCm)) {
            continue;
        }
        view.hold(std::min(trace.x1, trace.x2) - 5, y - shield.widthCm / 2 - 5);
        view.hold(std::max(trace.x1, trace.x2) + 5, y + shield.widthCm / 2 + 5);
    }
    for (const SceneEyePoint& eye : scene.eyePoints) {
        if (!finite(eye.positionCm[0]) || !finite(eye.positionCm[1])) continue;
        view.hold(eye.positionCm[0] + 25, eye.positionCm[1] + 8);
        view.hold(eye.positionCm[0] - 5, eye.positionCm[1] - 8);
    }
    picture.clear();
    picture.setDrawWidth(1);
    fitScale(picture, view);
    const QColor black = paletteColor(0);
    picture.text(view.x0 + 2, view.z0 + 2, QStringLiteral("x-y (焦点側から)"), black);
    picture.filledRectangle(object.xMinCm, object.yMinCm, object.xMaxCm, object.yMaxCm,
                            rgbColor(255, 214, 170));
    picture.rectangle(object.xMinCm, object.yMinCm, object.xMaxCm, object.yMaxCm, black);
    const double field = std::max(sketch.fieldShortCm, 0.0) / 2;
    picture.rectangle(-field, -field, field, field, rgbColor(230, 160, 0));
    if (scene.table && finite(scene.table->widthCm)) {
        const double half = scene.table->widthCm / 2;
        picture.rectangle(-half, object.yMinCm, half, object.yMaxCm, tableColour());
    }
    // The curtain: unbounded along y, or its width about its centre.
    double yFrom = view.z0 + 6;
    double yTo = view.z1 - 2;
    if (scene.curtain) {
        yFrom = scene.curtain->centreYCm - scene.curtain->widthCm / 2;
        yTo = scene.curtain->centreYCm + scene.curtain->widthCm / 2;
    }
    picture.setDrawWidth(3);
    picture.line(CURTAIN_X_CM, yFrom, CURTAIN_X_CM, yTo, rgbColor(60, 60, 60));
    picture.setDrawWidth(1);
    picture.text(CURTAIN_X_CM + 2, std::min(yTo, view.z1 - 12) - 10, QStringLiteral("カーテン"),
                 black);
    for (const SceneShield& shield : scene.shields) {
        const Trace trace = traceOf(shield);
        const double y = shield.centreCm[1];
        if (!finite(trace.x1) || !finite(trace.x2) || !finite(y) || !finite(shield.widthCm)) {
            continue;
        }
        const double xa = std::min(trace.x1, trace.x2);
        const double xb = std::max(trace.x1, trace.x2);
        const double ya = y - shield.widthCm / 2;
        const double yb = y + shield.widthCm / 2;
        if (xb - xa < 1) {
            picture.setDrawWidth(4);
            picture.line(xa, ya, xa, yb, shieldColour());
            picture.setDrawWidth(1);
        } else {
            picture.rectangle(xa, ya, xb, yb, shieldColour());
        }
        picture.text(xb + 2, ya, qText(shield.name), shieldColour());
    }
    picture.filledRectangle(POINTS_X_CM - 2, -2, POINTS_X_CM + 2, 2, paletteColor(8));
    picture.text(POINTS_X_CM - 14, 6, QStringLiteral("計測点"), black);
    for (const SceneEyePoint& eye : scene.eyePoints) {
        const double x = eye.positionCm[0];
        const double y = eye.positionCm[1];
        if (!finite(x) || !finite(y)) continue;
        picture.filledRectangle(x - 1.5, y - 1.5, x + 1.5, y + 1.5, eyeColour());
        picture.text(x + 3, y - 3, QStringLiteral("目 ") + qText(eye.name), eyeColour());
    }
    picture.text(object.xMinCm + 1, object.yMaxCm + 2, QStringLiteral("40 × 30 cm"), black);
}

}  // namespace korvana::forms
