// Constants of the tube spectrum model (Tucker's semi-empirical model of a
// tungsten anode: bremsstrahlung with self-absorption in the target plus K lines).
#pragma once

#include <array>

#include "common/energy_grid.h"

namespace korvana::app {

//! pi as the spectra have always been computed: a deliberately short value,
//! used for every degree-to-radian conversion. Because of it sin 90 deg falls
//! just short of 1, so the bin at the peak voltage gets no bremsstrahlung.
inline constexpr double PI_SHORT = 3.14159;

inline constexpr double TUNGSTEN_DENSITY = 19.3;       //!< [g/cm^3]
inline constexpr double ELECTRON_REST_ENERGY = 511.0;  //!< m0 c^2 [keV]

//! Thomson-Whiddington constant C(T0) [keV^2 cm^2/g]: coefficients of T0^0..T0^4, T0 in keV.
inline constexpr std::array<double, 5> THOMSON_WHIDDINGTON = {141766.0, 12157.0, -111.046, 0.552536,
                                                              -0.000970158};

//! Bremsstrahlung amplitude A0 + A1 T0 (T0 in keV).
inline constexpr double BREMS_A0 = 0.03658;
inline constexpr double BREMS_A1 = 0.000029;
//! Shape polynomial in x = E/T: 1 + B1 x + B2 x^2 + B3 x^3 + B4 x^4.
inline constexpr std::array<double, 4> BREMS_SHAPE = {-5.049, 10.847, -10.516, 3.842};
//! Energy-loss divisor S(T) = S_SCALE exp(S_DECAY T) + S_OFFSET (T in keV).
inline constexpr double ENERGY_LOSS_SCALE = 1036.1;
inline constexpr double ENERGY_LOSS_DECAY = -0.04695;  //!< [1/keV]
inline constexpr double ENERGY_LOSS_OFFSET = 202.41;

//! Electron energy above which K lines are emitted [keV]; the W K edge is 69.5 keV.
inline constexpr double K_THRESHOLD_KEV = 70.0;

//! One K line: its bin on the grid and its share of the K photons (the shares sum to 1).
struct KLine {
    int bin;
    double share;
};
//! K lines in the order they are added: K-alpha1 59.5, K-alpha2 58.0, K-beta1 67.0, K-beta2 69.0
//! keV.
inline constexpr std::array<KLine, 4> K_LINES = {KLine{119, 0.5048}, KLine{116, 0.2908},
                                                 KLine{134, 0.162}, KLine{138, 0.0424}};

//! Single-phase full wave: the tube current rises as (s / 0.75)^1.5 up to s = 0.75, s = sin phase.
inline constexpr double SINGLE_PHASE_FULL_CURRENT_SINE = 0.75;
inline constexpr double SINGLE_PHASE_CURRENT_EXPONENT = 1.5;

//! Integration step of the electron energy and width of a spectrum bin [keV].
inline constexpr double ENERGY_STEP_KEV = BIN_WIDTH_KEV;

}  // namespace korvana::app
