// The published reference values the validation report compares against,
// each with its source as the report cites it.
#pragma once

#include <array>

namespace korvana::validation {

//! First half-value layers of SpekPy for an 80 kV beam of an 11 degree
//! tungsten anode without air, per total aluminium filtration.
struct HvlReference {
    double filtrationMmAl;
    double hvl1MmAl;
};
inline constexpr std::array<HvlReference, 3> SPEKPY_HVL1 = {
    {{2.5, 2.77}, {3.0, 3.06}, {4.0, 3.58}}};
inline constexpr double SPEKPY_HVL_KV = 80.0;
inline constexpr double SPEKPY_ANODE_ANGLE_DEG = 11.0;
inline constexpr const char* SPEKPY_SOURCE =
    "SpekPy v2 (Poludniowski G, Omar A, Bujila R, Andersson J, \"SpekPy v2.0 - a software "
    "toolkit for modeling x-ray tube spectra\", Med. Phys. 48 (2021) 3630-3637): model "
    "output for an 80 kV beam of an 11 degree tungsten anode without air, as quoted with "
    "the project's reference set";

//! ISO 4037 narrow-spectrum series: tube potential, filtration and mean
//! energy (ISO 4037-1), and the conversion coefficient from air kerma to
//! Hp(3) on the cylinder phantom at 0 degrees (ISO 4037-3).
struct IsoBeam {
    const char* name;
    double kv;
    double inherentMmAl;  //!< the inherent filtration is adjusted to 4 mm Al
    double copperMm;      //!< additional copper filter
    double meanEnergyKev;
    double hp3PerKerma;  //!< [Sv/Gy]
};
inline constexpr std::array<IsoBeam, 2> ISO_NARROW_BEAMS = {{
    {"N-60", 60.0, 4.0, 0.6, 48.0, 1.54},
    {"N-80", 80.0, 4.0, 2.0, 65.0, 1.66},
}};
inline constexpr const char* ISO_4037_1_SOURCE =
    "ISO 4037-1:2019, X and gamma reference radiation ... Part 1: Radiation characteristics "
    "and production methods, table of the narrow-spectrum series (tube potential, additional "
    "filtration, inherent filtration adjusted to 4 mm Al, mean energy)";
inline constexpr const char* ISO_4037_3_SOURCE =
    "ISO 4037-3:2019, ... Part 3: Calibration of area and personal dosemeters and the "
    "measurement of their response as a function of energy and angle of incidence, "
    "conversion coefficients from air kerma to Hp(3) for the narrow-spectrum series on the "
    "cylinder phantom at 0 degrees";

//! Mass energy-absorption coefficient of dry air (near sea level) [cm^2/g]
//! at the tabulated energies [keV] from 5 to 150 keV.
struct NistValue {
    double keV;
    double muEnRho;
};
inline constexpr std::array<NistValue, 13> NIST_AIR_MU_EN = {{
    {5.0, 39.31},
    {6.0, 22.70},
    {8.0, 9.446},
    {10.0, 4.742},
    {15.0, 1.334},
    {20.0, 0.5389},
    {30.0, 0.1537},
    {40.0, 0.06833},
    {50.0, 0.04098},
    {60.0, 0.03041},
    {80.0, 0.02407},
    {100.0, 0.02325},
    {150.0, 0.02496},
}};
inline constexpr const char* NIST_SOURCE =
    "Hubbell JH, Seltzer SM, Tables of X-Ray Mass Attenuation Coefficients and Mass "
    "Energy-Absorption Coefficients, NIST Standard Reference Database 126 (version 1.4), "
    "Table 4, \"Air, Dry (Near Sea Level)\", column mu_en/rho";

inline constexpr const char* SCATTER_FRACTION_SOURCE =
    "Simpkin DJ, Dixon RL, \"Secondary shielding barriers for diagnostic x-ray facilities: "
    "scatter and leakage revisited\", Health Phys. 74 (1998) 350-365; the fit of the scatter "
    "fraction a(theta, kVp) as used in NCRP Report No. 147, Structural Shielding Design for "
    "Medical X-Ray Imaging Facilities (2004)";

//! The eye-lens dose reduction a ceiling-suspended shield reaches at its best
//! placement [%]: a Monte Carlo study and a measured one.
inline constexpr double CEILING_SHIELD_MONTE_CARLO_REDUCTION_PERCENT = 97.0;
inline constexpr const char* CEILING_SHIELD_MONTE_CARLO_SOURCE =
    "Koukorava C, Carinou E, Ferrari P, Krim S, Struelens L, \"Study of the parameters "
    "affecting operator doses in interventional radiology using Monte Carlo simulations\", "
    "Radiat. Meas. 46(11) (2011) 1216-1222";
inline constexpr double CEILING_SHIELD_MEASURED_REDUCTION_PERCENT = 95.0;
inline constexpr const char* CEILING_SHIELD_MEASURED_SOURCE =
    "\"Impact of the Ceiling-Mounted Radiation Shielding Position on the Physician's Dose from "
    "Scatter Radiation during Interventional Procedures\", Radiology Research and Practice "
    "2018, article 4287973 (Institute for Clinical and Experimental Medicine, Prague)";

}  // namespace korvana::validation
