// The conversion factor D3mm/Kair of mono-energetic photons, drawn from the
// conversion table itself: the ratio of its dose and kerma columns per bin
// over 0 to 150 keV.
#pragma once

namespace korvana::app {
struct ConversionTable;
}

namespace korvana::forms {

class PictureBox;

//! Where the plot puts an energy [keV] and a ratio, in the picture's units
//! (one per pixel, origin top left, y down).
struct ConversionPlotFrame {
    double left = 56;
    double right = 456;
    double top = 16;
    double bottom = 236;
    double maxEnergyKev = 150;
    double maxRatio = 2.0;

    double xOf(double energyKev) const { return left + (right - left) * energyKev / maxEnergyKev; }
    double yOf(double ratio) const { return bottom - (bottom - top) * ratio / maxRatio; }
};

//! Clears `picture` (one unit per pixel is set here) and draws axes, grid,
//! and the ratio of every bin whose kerma coefficient is above 0, in red.
void drawConversionFactorPlot(PictureBox& picture, const app::ConversionTable& table);

}  // namespace korvana::forms
