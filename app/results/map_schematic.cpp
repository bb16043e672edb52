#include "app/results/map_schematic.h"

#include "app/results/condition_texts.h"
#include "common/curtain_rule.h"

namespace korvana::app {

namespace {

constexpr double UNITS_PER_CM = 4.0;
constexpr double MAP_ORIGIN_X_CM = 50.0;  // X = 0, the map's left edge
constexpr double MAP_ORIGIN_Z_CM = 50.0;  // Y = 0, the map's lower edge
constexpr double CURTAIN_LABEL_ABOVE_TOP = 30.0;
// The couch is drawn, not simulated: a bar of this thickness under the
// object, reaching this far beyond the curtain's plane.
constexpr double COUCH_THICKNESS_CM = 2.5;
constexpr double COUCH_BEYOND_CURTAIN_CM = 3.25;
// The map draws the curtain at its design place, half a centimetre short of
// the plane x = 20 cm the engine puts it in: users know the picture so, and
// at the map's scale the two are two units apart.
constexpr double CURTAIN_DRAWN_X_CM = 19.5;

}  // namespace

MapPoint mapPointOf(double xCm, double zCm) {
    return {UNITS_PER_CM * (xCm - MAP_ORIGIN_X_CM), -UNITS_PER_CM * (zCm - MAP_ORIGIN_Z_CM)};
}

MapSchematic mapSchematic(const RunConditions& conditions,
                          const std::optional<SceneDescription>& scene) {
    MapSchematic s;
    const ObjectExtent object = objectExtentFor(conditions.phantomThicknessCm);
    const double halfField = UNITS_PER_CM * conditions.fieldSizeYCm / 2;
    const MapPoint centre = mapPointOf(0, 0);
    s.focus = mapPointOf(0, -conditions.focusSurfaceDistanceCm);
    s.beamLeftEdge = {centre.x - halfField, centre.y};
    s.beamRightEdge = {centre.x + halfField, centre.y};
    s.objectLeftX = mapPointOf(object.xMinCm, 0).x;
    s.objectRightX = mapPointOf(object.xMaxCm, 0).x;
    s.objectTopY = mapPointOf(0, object.zMinCm).y;
    s.objectBottomY = mapPointOf(0, object.zMaxCm).y;
    s.curtainShown = hasCurtain(conditions);
    s.curtainX = mapPointOf(CURTAIN_DRAWN_X_CM, 0).x;
    s.curtainTopY =
        mapPointOf(0, -conditions.focusSurfaceDistanceCm + CURTAIN_TOP_BELOW_FOCUS_CM).y;
    s.curtainBottomY =
        mapPointOf(0, curtainEdgeZ(conditions.phantomThicknessCm, conditions.curtainLengthCm)).y;
    s.curtainLabelTopY = s.curtainTopY + CURTAIN_LABEL_ABOVE_TOP;
    const double couchThickness = UNITS_PER_CM * COUCH_THICKNESS_CM;
    s.couch = {s.objectLeftX, mapPointOf(CURTAIN_PLANE_X_CM + COUCH_BEYOND_CURTAIN_CM, 0).x,
               s.objectBottomY - couchThickness, s.objectBottomY};
    if (!scene) return s;
    if (scene->curtain) s.curtainWidthCm = scene->curtain->widthCm;
    if (scene->table) {
        s.table = scene->table;
        const double half = scene->table->widthCm / 2;
        s.couch.left = mapPointOf(-half, 0).x;
        s.couch.right = mapPointOf(half, 0).x;
        if (scene->table->side == TableSide::Entrance) {
            s.couch.bottom = s.objectTopY;
            s.couch.top = s.objectTopY + couchThickness;
        }
    }
    for (const SceneShield& shield : scene->shields) {
        const ShieldTrace trace = shieldTrace(shield);
        s.shields.push_back({shield.name, shield.leadMm,
                             mapPointOf(trace.lowEndXZ[0], trace.lowEndXZ[1]),
                             mapPointOf(trace.highEndXZ[0], trace.highEndXZ[1])});
    }
    for (const SceneEyePoint& eye : scene->eyePoints) {
        s.eyePoints.push_back({eye.name, mapPointOf(eye.positionCm[0], eye.positionCm[2])});
    }
    return s;
}

}  // namespace korvana::app
