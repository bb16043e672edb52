// Where the map window draws the beam, the object and the curtain of a
// loaded result, in the map's drawing units (4 a cm; X = 4 (x - 50),
// Y = 200 - 4 z: the beam axis is X = -200, the entrance surface Y = 200).
// Everything comes from one ResultSet, so the schematic always belongs to
// the map painted beside it.
#pragma once

#include "app/results/result_set.h"

namespace korvana::app {

struct MapPoint {
    double x = 0.0;
    double y = 0.0;
};

struct MapSchematic {
    MapPoint focus;                 //!< (-200, 200 + 4 FSD)
    MapPoint beamLeftEdge;          //!< Line3 runs from the focus to here on the entrance surface
    MapPoint beamRightEdge;         //!< Line4 runs from here to the focus
    double objectTopY = 0.0;        //!< the entrance surface, Y = 200
    double objectBottomY = 0.0;     //!< Y = 200 - 4 x thickness
    bool curtainShown = false;      //!< false for a curtain of 0 mm lead
    double curtainX = 0.0;          //!< the curtain's design position, x = 19.5 cm
    double curtainTopY = 0.0;       //!< 20 cm below the focus
    double curtainBottomY = 0.0;    //!< the curtain length above the couch bar
    double curtainLabelTopY = 0.0;  //!< top of the "Pb" label
};

//! The schematic of `conditions`: field size along the map's x from the
//! first field size (line 313), half on each side of the axis.
MapSchematic mapSchematic(const RunConditions& conditions);

}  // namespace korvana::app
