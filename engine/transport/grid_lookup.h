// Interpolation in a table on the 0.5 keV energy grid.
#pragma once

#include "common/energy_grid.h"

namespace korvana::engine {

//! The table's value at E [keV], linear between the grid energies (k-1) x 0.5
//! and k x 0.5 keV with k = trunc(2E) + 1; on a grid energy exactly that row.
//! From 150 keV up, where row 301 would be needed, row 300 is returned.
inline float gridValue(const GridTable& V, float E) {
    const int k = static_cast<int>(2.0f * E) + 1;
    if (k > GRID_BINS) return V[GRID_BINS];
    return V[k - 1] + (E - binEnergyKev(k - 1)) * (V[k] - V[k - 1]) / BIN_WIDTH_KEV;
}

//! The score bin of a photon of energy E [keV]: trunc(2E) + 1, so bin b holds
//! [(b-1) x 0.5, b x 0.5) keV. A photon of exactly 150 keV goes into bin 300.
inline int energyBin(float E) {
    const int b = static_cast<int>(2.0f * E) + 1;
    return b > GRID_BINS ? GRID_BINS : b;
}

}  // namespace korvana::engine
