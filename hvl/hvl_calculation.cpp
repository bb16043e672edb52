#include "hvl/hvl_calculation.h"

#include <cmath>
#include <string>

#include "common/data_error.h"
#include "common/file_names.h"

namespace korvana::hvl {

namespace {

constexpr float LN_2 = 0.693147f;         // ln 2 to six decimals, as the results have always used
constexpr float FIRST_HVL_LEVEL = 50.0f;  //!< [%] of the air kerma
constexpr float QUARTER_LEVEL = 25.0f;    //!< [%] of the air kerma
// Air kerma per photon: the bin energy in keV times 1.602e-9, written as i x 8.01e-10.
constexpr float KERMA_PER_BIN_INDEX = 8.01e-10f;
constexpr float EXPOSURE_PER_KERMA = 86.9f;  // divisor from air kerma to exposure
constexpr float FLUENCE_PER_EXPOSURE_SCALE = 3876.0f;
constexpr float PER_CM2_TO_PER_MM2 = 0.01f;

float binEnergyKev(int bin) { return static_cast<float>(bin) * BIN_WIDTH_KEV; }

}  // namespace

int lastNonZeroBin(const GridTable& spectrum) {
    int bin = GRID_BINS;
    while (bin >= 1 && spectrum[bin] == 0.0f) {
        --bin;
    }
    if (bin < 1) {
        throw DataError(SourcePosition{SPECTRUM_FILE, 0, 0},
                        "every bin of the spectrum is 0 (it has no photons to attenuate) - "
                        "compute the spectrum again");
    }
    return bin;
}

TransmissionCurve kermaTransmission(const GridTable& spectrum, const GridTable& aluminium,
                                    const GridTable& air) {
    const int lastBin = lastNonZeroBin(spectrum);
    GridTable weight{};
    float weightSum = 0.0f;
    for (int i = FIRST_KERMA_BIN; i <= lastBin; ++i) {
        weight[i] = air[i] * spectrum[i] * static_cast<float>(i) * BIN_WIDTH_KEV;
        weightSum += weight[i];
    }
    if (!(weightSum > 0.0f) || !std::isfinite(weightSum)) {
        throw DataError(SourcePosition{SPECTRUM_FILE, 0, 0},
                        "the spectrum carries no air kerma above 5 keV (its bins from 11 on "
                        "are 0 or the air table is not positive there) - compute the spectrum "
                        "again or restore " +
                            std::string(AIR_TABLE_FILE));
    }
    for (int i = FIRST_KERMA_BIN; i <= lastBin; ++i) {
        weight[i] = weight[i] / weightSum;
    }

    TransmissionCurve transmission{};
    for (int j = 1; j <= ATTENUATION_STEPS; ++j) {
        float sum = 0.0f;
        for (int i = FIRST_KERMA_BIN; i <= lastBin; ++i) {
            weight[i] = weight[i] * std::exp(-aluminium[i] * STEP_CM);
            sum += weight[i];
        }
        transmission[j] = 100.0f * sum;
    }
    return transmission;
}

float thicknessAtLevel(const TransmissionCurve& transmission, float levelPercent) {
    // The search starts at step 2, so the interval is never the one from 0 to 0.01 cm;
    // a curve already below the level there is extrapolated from steps 1 and 2.
    int j = 2;
    while (j <= ATTENUATION_STEPS && transmission[j] >= levelPercent) {
        ++j;
    }
    if (j > ATTENUATION_STEPS) {
        throw DataError(SourcePosition{SPECTRUM_FILE, 0, 0},
                        "the air kerma does not fall below " +
                            std::to_string(static_cast<int>(levelPercent)) +
                            " % within 3 cm of aluminium (the beam is too hard for the "
                            "calculation) - check the spectrum and " +
                            ALUMINIUM_TABLE_FILE);
    }
    const float lnLevel = std::log(levelPercent);
    const float lnBefore = std::log(transmission[j - 1]);
    const float lnAfter = std::log(transmission[j]);
    return ((lnLevel - lnBefore) / (lnAfter - lnBefore) + static_cast<float>(j - 1)) * STEP_CM;
}

float effectiveEnergy(float hvlCm, const GridTable& aluminium) {
    const float mu = LN_2 / hvlCm;
    if (!(hvlCm > 0.0f) || !std::isfinite(mu)) {
        throw DataError(SourcePosition{SPECTRUM_FILE, 0, 0},
                        "a half-value layer of " + std::to_string(hvlCm) +
                            " cm is not positive (the spectrum or the aluminium table is "
                            "broken) - check them");
    }
    int j = 2;
    while (j <= GRID_BINS && aluminium[j] >= mu) {
        ++j;
    }
    if (j > GRID_BINS) {
        throw DataError(SourcePosition{ALUMINIUM_TABLE_FILE, 0, 0},
                        "no energy up to 150 keV has an attenuation coefficient below " +
                            std::to_string(mu) + " /cm (the half-value layer of " +
                            std::to_string(hvlCm * 10.0f) +
                            " mm is beyond the table) - check the spectrum and the table");
    }
    const float lnMuAfter = std::log(aluminium[j]);
    const float lnMuBefore = std::log(aluminium[j - 1]);
    const float lnEnergyAfter = std::log(binEnergyKev(j));
    const float lnEnergyBefore = std::log(binEnergyKev(j - 1));
    const float a = (lnMuAfter - std::log(mu)) / (lnMuAfter - lnMuBefore);
    return std::exp(lnEnergyAfter - a * (lnEnergyAfter - lnEnergyBefore));
}

float fluencePerExposure(const GridTable& spectrum, const GridTable& air) {
    const int lastBin = lastNonZeroBin(spectrum);
    float spectrumTotal = 0.0f;
    float kerma = 0.0f;
    for (int i = 2; i <= lastBin; ++i) {
        spectrumTotal += spectrum[i];
        kerma += air[i] * spectrum[i] * static_cast<float>(i) * KERMA_PER_BIN_INDEX;
    }
    const float exposure = kerma / EXPOSURE_PER_KERMA;
    if (!(exposure > 0.0f)) {
        throw DataError(SourcePosition{SPECTRUM_FILE, 0, 0},
                        "the spectrum gives no exposure (its bins from 2 on carry no air "
                        "kerma) - compute the spectrum again");
    }
    return (FLUENCE_PER_EXPOSURE_SCALE / exposure) * spectrumTotal * PER_CM2_TO_PER_MM2;
}

HvlResult computeHvl(const GridTable& spectrum, const GridTable& aluminium, const GridTable& air) {
    const TransmissionCurve transmission = kermaTransmission(spectrum, aluminium, air);
    HvlResult result;
    result.firstHvlCm = thicknessAtLevel(transmission, FIRST_HVL_LEVEL);
    result.secondHvlCm = thicknessAtLevel(transmission, QUARTER_LEVEL) - result.firstHvlCm;
    result.firstEffectiveEnergyKev = effectiveEnergy(result.firstHvlCm, aluminium);
    result.secondEffectiveEnergyKev = effectiveEnergy(result.secondHvlCm, aluminium);
    result.fluencePerExposure = fluencePerExposure(spectrum, air);
    return result;
}

}  // namespace korvana::hvl
