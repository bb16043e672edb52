// Where the map window draws the beam, the object, the curtain and the rest
// of a loaded result's room, in the map's drawing units (4 a cm; X = 4 (x -
// 50), Y = 200 - 4 z: the beam axis is X = -200, the entrance surface Y =
// 200). Everything comes from one ResultSet and the scene model (the
// object's extent, the curtain rule, the scene file's shields, table and eye
// points), so the schematic always belongs to the map painted beside it and
// to the room the engine simulated. The map is a side view: whatever lies
// along y is drawn where its x and z put it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/results/result_set.h"
#include "common/scene_file.h"

namespace korvana::app {

struct MapPoint {
    double x = 0.0;
    double y = 0.0;
};

//! A shield's trace in the x-z plane.
struct MapShield {
    std::string name;
    double leadMm = 0.0;
    MapPoint lowEnd;   //!< the edge towards -z (up in the map)
    MapPoint highEnd;  //!< the edge towards +z
};

//! A rectangle in map units.
struct MapBox {
    double left = 0.0, right = 0.0;
    double bottom = 0.0, top = 0.0;
};

struct MapEyePoint {
    std::string name;
    MapPoint at;
};

struct MapSchematic {
    MapPoint focus;                 //!< (-200, 200 + 4 FSD)
    MapPoint beamLeftEdge;          //!< Line3 runs from the focus to here on the entrance surface
    MapPoint beamRightEdge;         //!< Line4 runs from here to the focus
    double objectLeftX = 0.0;       //!< x = -15 cm
    double objectRightX = 0.0;      //!< x = 15 cm
    double objectTopY = 0.0;        //!< the entrance surface, Y = 200
    double objectBottomY = 0.0;     //!< the exit surface, Y = 200 - 4 x thickness
    bool curtainShown = false;      //!< false for a curtain of 0 mm lead
    double curtainX = 0.0;          //!< the curtain's plane, x = 20 cm
    double curtainTopY = 0.0;       //!< 20 cm below the focus
    double curtainBottomY = 0.0;    //!< the curtain length above the exit surface
    double curtainLabelTopY = 0.0;  //!< top of the "Pb" label
    //! [cm] the width along y of a finite curtain; empty when it is unbounded.
    std::optional<double> curtainWidthCm;
    //! The couch under the object: against the exit surface, reaching just
    //! beyond the curtain; the scene's table where it has one.
    MapBox couch;
    //! The scene's table, when it has one (then also `couch`).
    std::optional<SceneTable> table;
    std::vector<MapShield> shields;
    std::vector<MapEyePoint> eyePoints;
};

//! The schematic of `conditions` in the room `scene` (none: the scene
//! without shields, table or eye points): field size along the map's x from
//! the first field size (line 313), half on each side of the axis.
MapSchematic mapSchematic(const RunConditions& conditions,
                          const std::optional<SceneDescription>& scene = std::nullopt);

//! Map units of a point at x, z [cm].
MapPoint mapPointOf(double xCm, double zCm);

}  // namespace korvana::app
