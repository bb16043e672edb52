// The program's own small pictures, drawn in code into picture areas: the
// main form's two icons. The geometry's views are scene_drawing.h's.
#pragma once

namespace korvana::forms {

class PictureBox;

//! A small X-ray tube with its beam (step icon of the main form).
void drawTubeIcon(PictureBox& picture);
//! A small spectrum chart under a lens (icon of the result browser button).
void drawResultsIcon(PictureBox& picture);

}  // namespace korvana::forms
