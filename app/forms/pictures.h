// The program's own pictures, drawn in code into picture areas: the live
// geometry schematic of the main form, its two icons, the geometry window's
// views and the 3 mm depth dose picture.
#pragma once

namespace korvana::forms {

class PictureBox;

//! The entered geometry as the simulation sees it, in cm; lengths as typed.
struct GeometrySketch {
    double phantomThicknessCm = 20;  //!< along the beam
    double focusSurfaceCm = 80;      //!< focus to entrance surface
    double fieldShortCm = 25;        //!< field along x (the 30 cm side)
    double curtainLengthCm = 0;      //!< L: the open gap above the far surface
    bool curtainEntered = false;     //!< a lead equivalent has been typed
};

//! Side view (x to the right, beam downward): focus, field, object, curtain
//! with L, and the measuring points 45 to 135 degrees at x = 100 cm. An
//! unacceptable L is drawn in red.
void drawGeometrySketch(PictureBox& picture, const GeometrySketch& sketch);

//! A small X-ray tube with its beam (step icon of the main form).
void drawTubeIcon(PictureBox& picture);
//! A small spectrum chart under a lens (icon of the result browser button).
void drawResultsIcon(PictureBox& picture);

//! The fixed scene of the simulation seen from the side (x-z) and from the
//! tube (x-y), for the geometry window.
void drawSceneSideView(PictureBox& picture);
void drawSceneTopView(PictureBox& picture);

}  // namespace korvana::forms
