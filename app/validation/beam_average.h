// Averages of a per-photon quantity over a beam spectrum on the energy grid.
//
// A conversion coefficient from air kerma, such as Hp(3)/Ka, is defined per
// unit air kerma, so its average over a spectrum weights each bin by the air
// kerma its photons carry: sum phi_i k_i h_i / sum phi_i k_i, with phi_i the
// bin's photon fluence and k_i the air kerma per photon. With the conversion
// table's two columns (k_i and k_i h_i) this is sum phi_i (k h)_i / sum phi_i k_i.
#pragma once

#include "app/results/eye_lens_dose.h"
#include "common/energy_grid.h"

namespace korvana::validation {

//! The air-kerma-weighted mean of the table's dose-to-kerma ratio over the
//! photon fluence `fluence` (bins 1..300); 0 when the spectrum carries no kerma.
double kermaWeightedConversion(const GridTable& fluence, const app::ConversionTable& table);

//! The same ratio averaged with the photon fluence alone as the weight, which
//! the coefficient's definition does not allow; shown for contrast.
double fluenceWeightedConversion(const GridTable& fluence, const app::ConversionTable& table);

//! The fluence-weighted mean photon energy [keV]; 0 for an empty spectrum.
double meanEnergyKev(const GridTable& fluence);

}  // namespace korvana::validation
