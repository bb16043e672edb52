// Half-value layers in aluminium of a beam spectrum, their effective energies
// and the photon fluence per unit exposure.
//
// The air kerma of the spectrum is attenuated analytically through aluminium
// in 300 steps of 0.01 cm, and the thicknesses at which it falls to 50 % and
// to 25 % are found by log-linear interpolation. Everything is single
// precision, computed in the order written here, so that the same tables give
// the same HVL_S2.dat on every target.
#pragma once

#include "common/energy_grid.h"

namespace korvana::hvl {

//! Attenuation steps of 0.01 cm: the transmission is known up to 3 cm of aluminium.
inline constexpr int ATTENUATION_STEPS = 300;
inline constexpr float STEP_CM = 0.01f;  //!< [cm] thickness of one attenuation step
//! Bins up to 5 keV carry no air kerma weight: they are far below any HVL of interest.
inline constexpr int FIRST_KERMA_BIN = 11;

//! Percentage of the unattenuated air kerma behind j x 0.01 cm of aluminium, j = 1..300.
//! Element 0 is not a step and stays 0.
using TransmissionCurve = std::array<float, ATTENUATION_STEPS + 1>;

struct HvlResult {
    float firstHvlCm = 0;                //!< [cm Al] thickness that halves the air kerma
    float secondHvlCm = 0;               //!< [cm Al] quarter-value thickness minus firstHvlCm
    float firstEffectiveEnergyKev = 0;   //!< [keV] energy whose mu_Al gives firstHvlCm
    float secondEffectiveEnergyKev = 0;  //!< [keV] energy whose mu_Al gives secondHvlCm
    float fluencePerExposure = 0;        //!< [photons/mm^2] for an exposure of 1 C/kg
};

//! The highest bin whose value is not 0; throws DataError when every bin is 0.
int lastNonZeroBin(const GridTable& spectrum);

//! Air kerma transmission through 0.01 to 3 cm of aluminium, in percent.
//! `aluminium` is the linear attenuation coefficient [1/cm], `air` the mass
//! energy-absorption coefficient of air [cm^2/g]. Throws DataError when the
//! spectrum carries no air kerma above 5 keV.
TransmissionCurve kermaTransmission(const GridTable& spectrum, const GridTable& aluminium,
                                    const GridTable& air);

//! Thickness [cm] at which `transmission` falls to `levelPercent`, interpolated
//! in ln T between the steps around the first step from 2 on that is below it.
//! Throws DataError when the transmission stays at or above the level to 3 cm.
float thicknessAtLevel(const TransmissionCurve& transmission, float levelPercent);

//! Energy [keV] at which the aluminium coefficient equals ln 2 / hvlCm, by
//! log-log interpolation between the grid bins around it. Throws DataError when
//! no bin from 2 on has a coefficient below that value.
float effectiveEnergy(float hvlCm, const GridTable& aluminium);

//! Photons per mm^2 for an exposure of 1 C/kg, over bins 2 to the last non-zero bin.
float fluencePerExposure(const GridTable& spectrum, const GridTable& air);

//! All results of one spectrum.
HvlResult computeHvl(const GridTable& spectrum, const GridTable& aluminium, const GridTable& air);

}  // namespace korvana::hvl
