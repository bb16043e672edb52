// Form5, the eye lens dose window. For now it holds the glasses list Combo2
// that the main form's start sequence fills; the dose table is built out with
// the result viewers next.
#pragma once

#include "form.h"

class QComboBox;
class QLabel;

namespace korvana::forms {

class Form5 : public Form {
public:
    Form5();

    QLabel* const Label1;
    QComboBox* const Combo2;  //!< lead equivalence of protective glasses [mm Pb]
    QLabel* const Label3;
};

}  // namespace korvana::forms
