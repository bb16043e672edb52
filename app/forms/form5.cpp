#include "form5.h"

#include <QComboBox>
#include <QLabel>

#include "controls.h"

namespace korvana::forms {

Form5::Form5()
    : Form("Form5", QStringLiteral("Eye lens dose"), 7200, 2400),
      Label1(addLabel(this, "Label1", QStringLiteral("Protective glasses  ="), {360, 600, 2400, 330})),
      Combo2(addComboBox(this, "Combo2", {2880, 540, 1215, 360})),
      Label3(addLabel(this, "Label3", QStringLiteral("mm Pb"), {4200, 600, 900, 330})) {}

}  // namespace korvana::forms
