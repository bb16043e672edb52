// Form6, "Incident X-ray spectrum": the spectrum of step (4) as a step plot of
// relative photon fluence over photon energy, and OK to take the HVL results.
//
// Picture3 has user coordinates 6000 x 2500 (origin top left, y downward); the
// frame spans x 1000..5500 and y 100..2100, E keV lies at x = 1000 + 30 E and
// the relative fluence f at y = 2100 - 2000 f.
#pragma once

#include <optional>

#include "app/spectrum/spectrum_generator.h"
#include "app/widgets/form.h"

class QPushButton;

namespace korvana::forms {

class Forms;
class PictureBox;

class Form6 : public Form {
public:
    explicit Form6(Forms& forms);

    //! Draws bins 2..300 of `incidentSpectrum` relative to `spectrumPeak`, then shows the form.
    void drawIncidentSpectrum(const app::SpectrumArray& incidentSpectrum, double spectrumPeak);
    //! OK: HVL_S2.dat into Form2's reference fields, focus to Form2.Text8, hide.
    void readHvlResults();

    void Command1_Click() { readHvlResults(); }
    void Command2_Click() { hide(); }

    //! How long OK waits for tavisen to write HVL_S2.dat [ms].
    void setHvlWaitMs(int milliseconds) { m_hvlWaitMs = milliseconds; }

private:
    // The controls, in the order they are made (and so tabbed through).
    PictureBox* const Picture3;
    QPushButton* const Command1;  //!< "OK"
    QPushButton* const Command2;  //!< "Cancel"

    Forms& m_forms;
    std::optional<app::SpectrumArray> m_drawnSpectrum;  //!< the spectrum Picture3 shows
    int m_hvlWaitMs = 5000;
};

}  // namespace korvana::forms
