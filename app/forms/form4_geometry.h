// Form4, "Geometry": the run's geometry seen from the side and from the tube,
// drawn to scale from the model (scene_drawing.h).
#pragma once

#include <QString>

#include "app/forms/scene_drawing.h"
#include "app/results/result_set.h"
#include "app/widgets/form.h"

class QLabel;
class QPushButton;

namespace korvana::forms {

class PictureBox;

class Form4 : public Form {
public:
    Form4();

    //! Draws `sketch` in both views; `note` (such as why the room is
    //! missing) under them, empty for none.
    void showGeometry(const GeometrySketch& sketch, const QString& note = {});
    const GeometrySketch& shownGeometry() const { return m_sketch; }

    void Command1_Click() { hide(); }

private:
    // The controls, in the order they are made (and so tabbed through).
    PictureBox* const Picture1;   //!< side view
    PictureBox* const Picture2;   //!< view from the tube
    QPushButton* const Command1;  //!< "Close"
    QLabel* const Label1;         //!< the note

    GeometrySketch m_sketch;
};

//! The geometry of a loaded result: its run conditions and the room saved
//! beside it (NAME.scene.json; none: the room of a run without a scene file).
//! A room file that cannot be read is left out, and `note` says why.
GeometrySketch resultGeometry(const app::ResultSet& set, QString& note);

}  // namespace korvana::forms
