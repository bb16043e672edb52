// Physical and numerical constants of the engine, single precision.
#pragma once

#include "common/simulated_bins.h"  // FIRST_SIMULATED_BIN

namespace korvana::engine {

//! The engine's pi, deliberately short: 3.141592 in float (3.14159202575683594).
//! Used in the azimuth 2 pi r, in pi/2 and in the scoring disc areas 4 pi and 25 pi,
//! so the result files depend on this value; a test pins it.
inline constexpr float PI = 3.141592f;

inline constexpr float ENERGY_CUTOFF_KEV = 5.0f;           //!< [keV] histories end below it
inline constexpr float ELECTRON_REST_ENERGY_KEV = 511.0f;  //!< [keV] Compton kinematics
inline constexpr float HC_KEV_ANGSTROM = 12.4f;            //!< [keV A] x = sin(theta/2) E / hc
inline constexpr float INCOHERENT_TEST_LIMIT = 10.0f;      //!< [1/A] S(x) rejection only below it

}  // namespace korvana::engine
