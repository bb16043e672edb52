// The incident X-ray spectrum of a tungsten-anode tube (Tucker's model).
//
// For each voltage phase of the rectification the bremsstrahlung of every
// bin is the sum, over electron energies T from the photon energy E up to the
// instantaneous voltage T0 in steps of 0.5 keV, of the cross section shape
// times the photons' attenuation along the Thomson-Whiddington depth of T
// inside the anode; above 70 kV the K lines add a percentage of that sum.
// The phases are weighted (single phase only), averaged, filtered by
// aluminium and copper and divided by the bin energy to give photon numbers.
// Everything is in double precision, in the order written.
#pragma once

#include <array>
#include <vector>

#include "app/spectrum/irradiation_conditions.h"
#include "app/spectrum/material_tables.h"
#include "common/energy_grid.h"

namespace korvana::app {

//! One double per bin 1..300; element 0 is not a bin and stays 0.
using SpectrumArray = std::array<double, GRID_BINS + 1>;

struct GeneratedSpectrum {
    SpectrumArray incidentSpectrum{};  //!< filtered photon spectrum before normalisation
    double spectrumPeak = 0;           //!< its largest bin value
};

//! Phase angles [degree] sampled for a rectification, in the order computed:
//! 90 | 75, 76, ..., 90 | 2, 4, ..., 90.
std::vector<int> phaseAnglesDeg(RectificationMode rectification);

//! Relative tube current of a phase with sine `sinPhase`: 1, except for single-phase
//! full wave, where it is (min(sinPhase / 0.75, 1))^1.5.
double phaseCurrentWeight(RectificationMode rectification, double sinPhase);

//! Thomson-Whiddington constant C [keV^2 cm^2/g] at the electron energy t0Kev.
double thomsonWhiddingtonConstant(double t0Kev);

//! K radiation in percent of the bremsstrahlung sum; 0 at and below 70 kV.
double characteristicPercent(double t0Kev);

//! Unfiltered spectrum of one phase with the electron energy t0Kev at the anode:
//! writes bins 2 to the last bin i with i <= 2 t0Kev and returns that bin (1 when none).
int computePhaseSpectrum(double t0Kev, double cotTheta, const AttenuationTable& tungsten,
                         SpectrumArray& phaseSpectrum);

//! The whole run for validated conditions. Throws DataError when every bin is 0
//! (the filters absorb the whole beam), since it cannot be normalised.
GeneratedSpectrum computeIncidentSpectrum(const IrradiationConditions& conditions,
                                          const MaterialTables& tables);

}  // namespace korvana::app
