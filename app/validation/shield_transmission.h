// A lead sheet's transmission of the air kerma a scattered spectrum carries,
// computed from the spectrum alone: the independent estimate a shielded
// run's kerma ratio is compared with.
#pragma once

#include <optional>

#include "app/results/result_set.h"
#include "common/energy_grid.h"

namespace korvana::validation {

//! sum_b w_b exp(-mu_b t s) / sum_b w_b with w_b = N_b E_b (mu_en/rho)_b, the
//! air kerma bin b's photons carry: `photons` per score bin (a point's
//! scattered spectrum as the result file holds it: bin b counts the photons of
//! (b-1) x 0.5 to b x 0.5 keV), each bin taken at its centre, where the
//! tables' values are the mean of their rows b-1 and b (the engine's linear
//! interpolation there); `airMuEn` [cm^2/g], `leadMu` [1/cm], `leadCm` the
//! sheet's thickness [cm] and `pathFactor` the path through it per unit
//! thickness (1 at normal incidence, 1/cos at an angle). 0 for a spectrum
//! that carries no kerma.
double kermaWeightedTransmission(const app::BinValues& photons, const GridTable& airMuEn,
                                 const GridTable& leadMu, double leadCm, double pathFactor = 1.0);

//! The path factor s from 1 to 10 at which kermaWeightedTransmission gives
//! `transmission`: the single obliquity 1/cos that would explain a measured
//! transmission. Empty when no s in that range does (a transmission above the
//! normal-incidence one, or below the one at s = 10).
std::optional<double> equivalentPathFactor(const app::BinValues& photons, const GridTable& airMuEn,
                                           const GridTable& leadMu, double leadCm,
                                           double transmission);

}  // namespace korvana::validation
