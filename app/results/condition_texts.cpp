#include "app/results/condition_texts.h"

#include <charconv>

#include "app/common/picture_format.h"

namespace korvana::app {

std::string shortestDecimal(double value) {
    if (value == 0.0) return "0";  // also -0
    char buffer[400];              // enough for any double in plain notation
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

std::string historyCountText(double historyCount) { return formatPicture(historyCount, "0.0E+00"); }

std::array<std::string, CONDITION_COUNT> browserConditionTexts(const RunConditions& conditions) {
    const std::array<double, CONDITION_COUNT> values = conditionValues(conditions);
    std::array<std::string, CONDITION_COUNT> texts;
    for (int n = 0; n < CONDITION_COUNT - 1; ++n) texts[n] = shortestDecimal(values[n]);
    texts[CONDITION_COUNT - 1] = historyCountText(conditions.historyCount);
    return texts;
}

MapConditionTexts mapConditionTexts(const RunConditions& c) {
    MapConditionTexts texts;
    texts.tubeVoltage = shortestDecimal(c.tubeVoltageKv);
    texts.targetAngle = shortestDecimal(c.targetAngleDeg);
    texts.inherentFiltration = shortestDecimal(c.inherentFiltrationMmAl);
    texts.addedAluminium = shortestDecimal(c.addedAluminiumMm);
    texts.addedCopper = shortestDecimal(c.addedCopperMm);
    texts.phantomThickness = shortestDecimal(c.phantomThicknessCm);
    texts.focusSurfaceDistance = shortestDecimal(c.focusSurfaceDistanceCm);
    texts.fieldSizeY = shortestDecimal(c.fieldSizeYCm);
    texts.fieldSizeX = shortestDecimal(c.fieldSizeXCm);
    texts.historyCount = historyCountText(c.historyCount);
    texts.curtainLead = hasCurtain(c) ? shortestDecimal(c.curtainLeadMm) : "-";
    texts.curtainLength = hasCurtain(c) ? shortestDecimal(c.curtainLengthCm) : "-";
    return texts;
}

}  // namespace korvana::app
