// Form4, "Geometry": two fixed pictures of the simulated scene.
#pragma once

#include "app/widgets/form.h"

class QPushButton;

namespace korvana::forms {

class PictureBox;

class Form4 : public Form {
public:
    Form4();

    void Command1_Click() { hide(); }

private:
    // The controls, in the order they are made (and so tabbed through).
    PictureBox* const Picture1;   //!< side view
    PictureBox* const Picture2;   //!< view from the tube
    QPushButton* const Command1;  //!< "Close"
};

}  // namespace korvana::forms
