// Air kerma behind a lead layer: each angle's scattered spectrum attenuated
// bin by bin, exp(-mu(i) t), the transmitted fraction of its photons
// multiplying the angle's air kerma.
#pragma once

#include "app/results/result_set.h"
#include "app/spectrum/material_tables.h"
#include "common/data_error.h"

namespace korvana::app {

//! A lead thickness typed in mm as cm. Throws DataError when it is negative
//! or not finite (a layer cannot add photons).
double leadThicknessCm(double thicknessMm);

//! F = sum over bins of spectrum(i) exp(-mu(i) t): for a spectrum summing to
//! 1, the fraction of its photons that pass `thicknessCm` of lead (mu [1/cm]).
double transmittedFraction(const BinValues& spectrum, const AttenuationTable& leadAttenuation,
                           double thicknessCm);

//! pointKermaRatio(k) x F(k) for the shown angles k = 2..8 (other entries 0),
//! behind `thicknessMm` of lead, from the stored spectra (rawScatterSpectra).
AngleValues computeLeadProtectedKerma(const ResultSet& set, const AttenuationTable& leadAttenuation,
                                      double thicknessMm);

}  // namespace korvana::app
