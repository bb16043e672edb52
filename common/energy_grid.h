// The common energy grid: 300 bins of 0.5 keV.
//
// Bin i stands for the photon energy i x 0.5 keV (0.5 to 150 keV). The beam
// spectrum, the air, lead and aluminium tables and every scored spectrum use
// it, and their readers take a row's bin from its position in the file, never
// from its energy column.
#pragma once

#include <array>

namespace korvana {

inline constexpr int GRID_BINS = 300;         //!< rows of every table on the grid
inline constexpr float BIN_WIDTH_KEV = 0.5f;  //!< [keV]

//! The energy [keV] bin i stands for: i x 0.5 keV, exact in float and double.
inline constexpr float binEnergyKev(int bin) { return static_cast<float>(bin) * BIN_WIDTH_KEV; }

//! Values on the grid, indexed by bin number 1..300. Element 0 is not a bin;
//! it stays 0 so that formulas can be written with the bin numbers as they are.
using GridTable = std::array<float, GRID_BINS + 1>;

//! The engine starts no photon in bins 1-9 (below its 5 keV cut-off); their
//! share of the spectrum still counts in the normalisation.
inline constexpr int FIRST_SIMULATED_BIN = 10;

}  // namespace korvana
