#include "engine/inputs/beam.h"

#include <cmath>

#include "common/data_error.h"
#include "common/simulated_bins.h"
#include "engine/constants.h"

namespace korvana::engine {

PreparedSpectrum prepareSpectrum(const GridTable& asRead, const std::string& fileName) {
    PreparedSpectrum s;
    for (int i = 1; i <= GRID_BINS; ++i) {
        if (!(asRead[i] >= 0) || !std::isfinite(asRead[i])) {
            throw DataError(SourcePosition{fileName, i, 8},
                            "spectrum value of bin " + std::to_string(i) +
                                " is negative (a photon fluence cannot be) - compute the "
                                "spectrum again in the main window");
        }
    }
    s.topBin = GRID_BINS;
    while (s.topBin > 0 && asRead[s.topBin] == 0.0f) --s.topBin;
    if (s.topBin == 0) {
        throw DataError(SourcePosition{fileName, 0, 0},
                        "the spectrum has no bin above 0 (there is nothing to simulate) - "
                        "compute the spectrum again in the main window");
    }
    for (int i = 1; i <= GRID_BINS; ++i) s.sum += asRead[i];
    for (int i = 1; i <= GRID_BINS; ++i) {
        if (asRead[i] > s.peakValue) {
            s.peakValue = asRead[i];
            s.peakBin = i;
        }
    }
    for (int i = 1; i <= GRID_BINS; ++i) s.normalised[i] = asRead[i] / s.sum;
    return s;
}

std::int64_t binPhotonCount(const PreparedSpectrum& spectrum, int bin, float historyCount) {
    return binHistoryCount(spectrum.normalised[bin], historyCount);
}

std::int64_t runHistoryCount(const PreparedSpectrum& spectrum, float historyCount) {
    std::int64_t total = 0;
    for (int bin = FIRST_SIMULATED_BIN; bin <= spectrum.topBin; ++bin) {
        total += binPhotonCount(spectrum, bin, historyCount);
    }
    return total;
}

float primaryKerma(const PreparedSpectrum& spectrum, const GridTable& airEnergyAbsorption,
                   const RunParameters& run) {
    float sum = 0;
    for (int i = FIRST_SIMULATED_BIN; i <= GRID_BINS; ++i) {
        const float S = spectrum.normalised[i];
        if (S == 0.0f) continue;
        sum +=
            airEnergyAbsorption[i] * S * static_cast<float>(i) * run.historyCount * BIN_WIDTH_KEV;
    }
    return sum / (run.fieldSizeX * run.fieldSizeY);
}

}  // namespace korvana::engine
