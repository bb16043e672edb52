// The run's geometry drawn to scale from the model, for the main form's
// schematic, the geometry window and the live window: the object box, the
// beam, the curtain (its plane, its lower edge and, when it is finite, its
// width), the scene's shields (each one's trace in the x-z plane, tilted as
// it hangs) and table, the measuring points and the eye points by name.
// Lengths are the engine's (common/scene_file.h): cm, origin at the field
// centre on the entrance surface, +z along the beam, +x towards the worker.
#pragma once

#include "common/scene_file.h"

namespace korvana::forms {

class PictureBox;

//! The entered geometry as the simulation sees it, in cm; lengths as typed.
struct GeometrySketch {
    double phantomThicknessCm = 20;  //!< along the beam
    double focusSurfaceCm = 80;      //!< focus to entrance surface
    double fieldShortCm = 25;        //!< field along x (the 30 cm side)
    double curtainLengthCm = 0;      //!< L: the open gap above the far surface
    bool curtainEntered = false;     //!< a lead equivalent has been typed
    SceneDescription scene;          //!< the room: shields, table, eye points
    //! All nine measuring points (30 to 150 degrees), or only the ones the
    //! eye lens dose is given for (45 to 135), which keeps the view closer.
    bool allMeasuringPoints = false;
};

//! Side view (x to the right, beam downward): focus, field, object, curtain
//! with L, shields, table, the measuring points at their plane and the eye
//! points. An unacceptable L is drawn in red. The view grows to hold every
//! element, so all of them stay to one scale.
void drawGeometrySketch(PictureBox& picture, const GeometrySketch& sketch);

//! The same scene seen from the tube (x to the right, y downward).
void drawSceneTopView(PictureBox& picture, const GeometrySketch& sketch);

}  // namespace korvana::forms
