// Form4, "Geometry": the run's geometry seen from the side and from the tube,
// drawn to scale from the model (scene_drawing.h).
#pragma once

#include "app/forms/scene_drawing.h"
#include "app/results/result_set.h"
#include "app/widgets/form.h"

class QPushButton;

namespace korvana::forms {

class PictureBox;

class Form4 : public Form {
public:
    Form4();

    //! Draws `sketch` in both views, with all nine measuring points.
    void showGeometry(const GeometrySketch& sketch);
    const GeometrySketch& shownGeometry() const { return m_sketch; }

    void Command1_Click() { hide(); }

private:
    // The controls, in the order they are made (and so tabbed through).
    PictureBox* const Picture1;   //!< side view
    PictureBox* const Picture2;   //!< view from the tube
    QPushButton* const Command1;  //!< "Close"

    GeometrySketch m_sketch;
};

//! The geometry of a loaded result: its run conditions and the room attached
//! to it (app::attachScene; none: the room of a run without a scene file).
GeometrySketch resultGeometry(const app::ResultSet& set);

}  // namespace korvana::forms
