// Form10: one fixed picture about the air kerma to 3 mm depth dose conversion.
#pragma once

#include "form.h"

class QPushButton;

namespace korvana::forms {

class PictureBox;

class Form10 : public Form {
public:
    Form10();

    void Command1_Click() { hide(); }

    PictureBox* const Picture1;
    QPushButton* const Command1;  //!< "Close"
};

}  // namespace korvana::forms
