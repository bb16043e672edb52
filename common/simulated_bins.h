// Which energy bins the engine runs and how many histories each gets: the
// engine runs them, and korvana-study follows the engine's progress with the
// same numbers, so both take them from here.
//
// Bins 1-9 (below 5 keV) are never started; they still count in the
// spectrum's normalisation. A bin's histories are its share S(i) of the
// normalised spectrum times the run's history count, truncated toward zero,
// computed in float as the engine computes everything.
#pragma once

#include <cstdint>

namespace korvana {

inline constexpr int FIRST_SIMULATED_BIN = 10;

//! Histories of one bin: S(i) x historyCount truncated toward zero; saturates
//! rather than overflowing for absurd history counts.
inline std::int64_t binHistoryCount(float normalisedShare, float historyCount) {
    const float photons = normalisedShare * historyCount;
    if (photons >= 9.0e18f) return INT64_C(9000000000000000000);
    return static_cast<std::int64_t>(photons);
}

}  // namespace korvana
