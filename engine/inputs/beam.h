// The incident beam as the engine uses it: the spectrum normalised to sum 1.
#pragma once

#include <cstdint>

#include "common/grid_tables.h"
#include "engine/inputs/run_parameters.h"

namespace korvana::engine {

struct PreparedSpectrum {
    GridTable normalised{};  //!< S(i), the 300 bins divided by their sum
    int topBin = 0;          //!< highest bin whose value as read is not 0
    float sum = 0;           //!< sum of the 300 bins as read, accumulated upward
    int peakBin = 0;         //!< first bin holding the largest value
    float peakValue = 0;     //!< that value as read
};

//! Derives the top bin, the sum and the peak, and normalises. A spectrum
//! without a positive bin, or with a negative one, is refused (DataError).
PreparedSpectrum prepareSpectrum(const GridTable& asRead, const std::string& fileName);

//! Histories for one bin: S(i) x historyCount truncated toward zero.
std::int64_t binPhotonCount(const PreparedSpectrum& spectrum, int bin, float historyCount);
//! Histories of the whole run: the bins' counts from the first simulated bin up.
std::int64_t runHistoryCount(const PreparedSpectrum& spectrum, float historyCount);

//! Air kerma of the primary beam at the entrance surface, in the units of the
//! scores [keV/g for the run]: the sum over bins 10-300 with S(i) != 0 of
//! muen(i) S(i) i historyCount 0.5, divided by the field area. Uses the
//! untruncated photon numbers.
float primaryKerma(const PreparedSpectrum& spectrum, const GridTable& airEnergyAbsorption,
                   const RunParameters& run);

}  // namespace korvana::engine
