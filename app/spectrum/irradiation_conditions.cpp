#include "app/spectrum/irradiation_conditions.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "app/common/text_value.h"
#include "common/data_error.h"

namespace korvana::app {

namespace {

constexpr double MAX_TUBE_VOLTAGE_KV = 149.5;  // the grid's last bin below 150 keV
constexpr double MIN_TUBE_VOLTAGE_KV = 30.0;
constexpr double MIN_INHERENT_CM = 0.1;  // 1 mm Al equivalent
constexpr double MM_TO_CM = 0.1;

std::string shown(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

void requireFinite(double value, const char* what, const std::string& text) {
    if (!std::isfinite(value)) {
        throw DataError("the " + std::string(what) + " " + quoteValue(text) +
                        " is out of range (the number is too large) - enter an ordinary value");
    }
}

void requireNotNegative(double valueMm, const char* what) {
    if (valueMm < 0.0) {
        throw DataError("the " + std::string(what) + " of " + shown(valueMm) +
                        " mm is negative (a filter cannot add photons) - enter 0 or more");
    }
}

}  // namespace

ConditionReading readIrradiationConditions(const ConditionTexts& texts,
                                           RectificationMode rectification) {
    ConditionReading reading;
    IrradiationConditions& c = reading.conditions;
    c.rectification = rectification;

    c.tubeVoltageKv = textValue(texts.tubeVoltageKv);
    // An infinite text value (1E999) is simply above the range and corrected like 200.
    if (c.tubeVoltageKv >= 150.0) {
        c.tubeVoltageKv = MAX_TUBE_VOLTAGE_KV;
        reading.correctedTubeVoltageText = "149.5";
    } else if (c.tubeVoltageKv <= MIN_TUBE_VOLTAGE_KV) {
        c.tubeVoltageKv = MIN_TUBE_VOLTAGE_KV;
        reading.correctedTubeVoltageText = "30";
    }

    c.targetAngleDeg = textValue(texts.targetAngleDeg);
    requireFinite(c.targetAngleDeg, "target angle", texts.targetAngleDeg);
    if (!(c.targetAngleDeg > 0.0 && c.targetAngleDeg < 90.0)) {
        throw DataError("the target angle of " + shown(c.targetAngleDeg) +
                        " degrees is not between 0 and 90 (the electrons' path out of the "
                        "anode needs a slanted target) - enter an angle such as 12");
    }

    const double inherentMm = textValue(texts.inherentFiltrationMm);
    requireFinite(inherentMm, "inherent filtration", texts.inherentFiltrationMm);
    c.inherentFiltrationCm = MM_TO_CM * inherentMm;
    if (c.inherentFiltrationCm < MIN_INHERENT_CM) {
        c.inherentFiltrationCm = MIN_INHERENT_CM;
        reading.correctedInherentText = "1";
    }

    const double aluminiumMm = textValue(texts.addedAluminiumMm);
    const double copperMm = textValue(texts.addedCopperMm);
    requireFinite(aluminiumMm, "added aluminium filter", texts.addedAluminiumMm);
    requireFinite(copperMm, "added copper filter", texts.addedCopperMm);
    requireNotNegative(aluminiumMm, "added aluminium filter");
    requireNotNegative(copperMm, "added copper filter");
    c.addedAluminiumCm = MM_TO_CM * aluminiumMm;
    c.addedCopperCm = MM_TO_CM * copperMm;
    return reading;
}

std::string rectificationWord(RectificationMode mode) {
    switch (mode) {
        case RectificationMode::ThreePhase12Peak:
            return "3phase";
        case RectificationMode::SinglePhaseFullWave:
            return "1phase";
        case RectificationMode::ConstantPotential:
            break;
    }
    return "cp";
}

std::optional<RectificationMode> rectificationFromText(std::string_view text) {
    for (int number = 1; number <= 3; ++number) {
        const RectificationMode mode = *rectificationFromNumber(number);
        if (text == rectificationWord(mode) || text == std::to_string(number)) return mode;
    }
    return std::nullopt;
}

std::optional<RectificationMode> rectificationFromNumber(int value) {
    switch (value) {
        case 1:
            return RectificationMode::ConstantPotential;
        case 2:
            return RectificationMode::ThreePhase12Peak;
        case 3:
            return RectificationMode::SinglePhaseFullWave;
        default:
            return std::nullopt;
    }
}

}  // namespace korvana::app
