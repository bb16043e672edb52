#include "app/spectrum/spectrum_file.h"

#include <cstdio>

#include "app/common/picture_format.h"
#include "app/spectrum/constants.h"
#include "common/text_file.h"

namespace korvana::app {

namespace {

constexpr double CM_TO_MM = 10.0;
constexpr double DESCRIPTOR_PEAK_SCALE = 1000.0;

}  // namespace

std::string plainNumber(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

std::vector<std::string> formatSpectrumLines(const GeneratedSpectrum& spectrum,
                                             const IrradiationConditions& conditions) {
    std::vector<std::string> lines;
    lines.reserve(GRID_BINS + 6);
    for (int i = 1; i <= GRID_BINS; ++i) {
        lines.push_back(
            formatPicture(ENERGY_STEP_KEV * i, "0000.0") + ", " +
            formatPicture(spectrum.incidentSpectrum[i] / spectrum.spectrumPeak, "0.00000"));
    }
    lines.push_back(plainNumber(spectrum.spectrumPeak * DESCRIPTOR_PEAK_SCALE));
    lines.push_back(formatPicture(conditions.tubeVoltageKv, "000.0"));
    lines.push_back(formatPicture(conditions.targetAngleDeg, "00.0"));
    lines.push_back(formatPicture(conditions.inherentFiltrationCm * CM_TO_MM, "00.000"));
    lines.push_back(formatPicture(conditions.addedAluminiumCm * CM_TO_MM, "00.000"));
    lines.push_back(formatPicture(conditions.addedCopperCm * CM_TO_MM, "00.000"));
    return lines;
}

void writeSpectrumFile(const GeneratedSpectrum& spectrum, const IrradiationConditions& conditions,
                       const std::string& fileName) {
    writeTextFileAtomically(fileName, formatSpectrumLines(spectrum, conditions));
}

}  // namespace korvana::app
