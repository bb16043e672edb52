#include "app/results/map_schematic.h"

#include "app/results/condition_texts.h"

namespace korvana::app {

namespace {

constexpr double UNITS_PER_CM = 4.0;
constexpr double AXIS_X = -200.0;             // x = 0
constexpr double ENTRANCE_SURFACE_Y = 200.0;  // z = 0
constexpr double CURTAIN_X = -122.0;          // x = 19.5 cm
constexpr double COUCH_TOP_Y = 140.0;         // the couch bar's top, z = 15 cm
constexpr double CURTAIN_BELOW_FOCUS = 80.0;  // 20 cm
constexpr double CURTAIN_LABEL_ABOVE_TOP = 30.0;

}  // namespace

MapSchematic mapSchematic(const RunConditions& conditions) {
    MapSchematic s;
    const double halfField = 2.0 * conditions.fieldSizeYCm;  // half the field, in units
    s.focus = {AXIS_X, ENTRANCE_SURFACE_Y + UNITS_PER_CM * conditions.focusSurfaceDistanceCm};
    s.beamLeftEdge = {AXIS_X - halfField, ENTRANCE_SURFACE_Y};
    s.beamRightEdge = {AXIS_X + halfField, ENTRANCE_SURFACE_Y};
    s.objectTopY = ENTRANCE_SURFACE_Y;
    s.objectBottomY = ENTRANCE_SURFACE_Y - UNITS_PER_CM * conditions.phantomThicknessCm;
    s.curtainShown = hasCurtain(conditions);
    s.curtainX = CURTAIN_X;
    s.curtainTopY = s.focus.y - CURTAIN_BELOW_FOCUS;
    s.curtainBottomY = COUCH_TOP_Y + UNITS_PER_CM * conditions.curtainLengthCm;
    s.curtainLabelTopY = s.curtainTopY + CURTAIN_LABEL_ABOVE_TOP;
    return s;
}

}  // namespace korvana::app
