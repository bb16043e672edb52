#include "app/spectrum/spectrum_file.h"

#include <array>
#include <cstdio>

#include "app/common/picture_format.h"
#include "app/common/text_value.h"
#include "app/spectrum/constants.h"
#include "common/data_error.h"
#include "common/text_file.h"

namespace korvana::app {

namespace {

constexpr double CM_TO_MM = 10.0;
constexpr double DESCRIPTOR_PEAK_SCALE = 1000.0;

//! A condition of lines 302-306 in the unit the file keeps it, and its picture there.
struct ConditionLine {
    SpectrumCondition condition;
    double value;
    const char* picture;
};

std::array<ConditionLine, 5> conditionLines(const IrradiationConditions& c) {
    return {{{SpectrumCondition::TubeVoltage, c.tubeVoltageKv, "000.0"},
             {SpectrumCondition::TargetAngle, c.targetAngleDeg, "00.0"},
             {SpectrumCondition::InherentFiltration, c.inherentFiltrationCm * CM_TO_MM, "00.000"},
             {SpectrumCondition::AddedAluminium, c.addedAluminiumCm * CM_TO_MM, "00.000"},
             {SpectrumCondition::AddedCopper, c.addedCopperCm * CM_TO_MM, "00.000"}}};
}

//! The value as a person reads it, to the file's thousandths: "100", "2.5", "0.125".
std::string shownValue(double value) {
    return plainNumber(std::stod(formatPicture(value, "0.000")));
}

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
    for (const ConditionLine& line : conditionLines(conditions)) {
        lines.push_back(formatPicture(line.value, line.picture));
    }
    return lines;
}

std::vector<SpectrumConditionDifference> spectrumConditionDifferences(
    const BeamDescriptor& file, std::optional<RectificationMode> fileRectification,
    const ConditionTexts& texts, RectificationMode rectification) {
    IrradiationConditions form;
    try {
        form = readIrradiationConditions(texts, rectification).conditions;
    } catch (const DataError&) {
        // Entries step (4) refuses have no spectrum: compare them as typed.
        form.tubeVoltageKv = textValue(texts.tubeVoltageKv);
        form.targetAngleDeg = textValue(texts.targetAngleDeg);
        form.inherentFiltrationCm = textValue(texts.inherentFiltrationMm) / CM_TO_MM;
        form.addedAluminiumCm = textValue(texts.addedAluminiumMm) / CM_TO_MM;
        form.addedCopperCm = textValue(texts.addedCopperMm) / CM_TO_MM;
    }
    IrradiationConditions kept;
    kept.tubeVoltageKv = file.tubeVoltageKv;
    kept.targetAngleDeg = file.targetAngleDeg;
    kept.inherentFiltrationCm = file.inherentFiltrationMmAl / CM_TO_MM;
    kept.addedAluminiumCm = file.addedAluminiumMm / CM_TO_MM;
    kept.addedCopperCm = file.addedCopperMm / CM_TO_MM;

    std::vector<SpectrumConditionDifference> differences;
    const std::array<ConditionLine, 5> inFile = conditionLines(kept);
    const std::array<ConditionLine, 5> inForm = conditionLines(form);
    for (std::size_t n = 0; n < inFile.size(); ++n) {
        const char* picture = inFile[n].picture;
        if (formatPicture(inFile[n].value, picture) != formatPicture(inForm[n].value, picture)) {
            differences.push_back(
                {inFile[n].condition, shownValue(inFile[n].value), shownValue(inForm[n].value)});
        }
    }
    if (fileRectification && *fileRectification != rectification) {
        differences.push_back({SpectrumCondition::Rectification,
                               rectificationWord(*fileRectification),
                               rectificationWord(rectification)});
    }
    return differences;
}

void writeSpectrumFile(const GeneratedSpectrum& spectrum, const IrradiationConditions& conditions,
                       const std::string& fileName) {
    writeTextFileAtomically(fileName, formatSpectrumLines(spectrum, conditions));
}

}  // namespace korvana::app
