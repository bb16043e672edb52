// Form10: the conversion factor from air kerma to absorbed dose at 3 mm depth
// of mono-energetic photons, plotted from the conversion table in use.
#pragma once

#include "app/widgets/form.h"

class QPushButton;

namespace korvana::app {
struct ConversionTable;
}

namespace korvana::forms {

class PictureBox;

class Form10 : public Form {
public:
    Form10();

    //! Draws `table`'s D3mm/Kair against photon energy and shows the window.
    void showConversionFactor(const app::ConversionTable& table, const QWidget* owner = nullptr);
    void Command1_Click() { hide(); }

private:
    // The controls, in the order they are made (and so tabbed through).
    PictureBox* const Picture1;
    QPushButton* const Command1;  //!< "Close"
};

}  // namespace korvana::forms
