#include "common/run_limits.h"

#include <cmath>
#include <cstdio>

#include "common/curtain_rule.h"

namespace korvana {

namespace {

// The largest values the result file's condition columns show.
constexpr double F51_HIGHEST = 999.9;         //!< F5.1
constexpr double F51_LOWEST = -99.9;          //!< F5.1, the sign takes a column
constexpr double LEAD_HIGHEST_CM = 0.9999;    //!< F5.3 of mm: 9.999 mm
constexpr double F73_HIGHEST = 999.999;       //!< F7.3
constexpr double MAX_HISTORY_COUNT = 1.0e15;  //!< years of running on any machine
constexpr double STRAIGHT_ANGLE_DEG = 90.0;   //!< a target angle must be below it

//! Half a unit of the last decimal a column shows: values below highest + it
//! are written as highest or less.
double roundingMargin(double highest) {
    if (highest == F51_HIGHEST) return 0.05;
    if (highest == LEAD_HIGHEST_CM) return 0.00005;
    if (highest == F73_HIGHEST) return 0.0005;
    return 0.0;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", value);
    return text;
}

const char* fieldName(RunField field) {
    switch (field) {
        case RunField::PhantomThickness:
            return "the object thickness [cm]";
        case RunField::FocusSurfaceDistance:
            return "the focus-surface distance [cm]";
        case RunField::FieldSizeY:
            return "the field size along y [cm]";
        case RunField::FieldSizeX:
            return "the field size along x [cm]";
        case RunField::CurtainLeadThickness:
            return "the curtain lead thickness [cm Pb]";
        case RunField::CurtainLength:
            return "the curtain length [cm]";
        case RunField::HistoryCount:
            return "the number of histories";
    }
    return "the value";
}

bool within(double value, const RunValueRange& range) {
    if (!std::isfinite(value)) return false;
    // A negative lowest is a column's limit too: -99.94 is written as -99.9.
    const double lowest = range.lowest < 0 ? range.lowest - 0.05 : range.lowest;
    if (range.lowestIncluded ? value <= lowest && value != range.lowest : value <= lowest) {
        return false;
    }
    return value <= range.highest ||
           (!range.highestIsCurtainRule && value < range.highest + roundingMargin(range.highest));
}

}  // namespace

RunValueRange runValueRange(RunField field, double focusSurfaceCm, double phantomThicknessCm) {
    switch (field) {
        case RunField::PhantomThickness:
        case RunField::FocusSurfaceDistance:
        case RunField::FieldSizeY:
        case RunField::FieldSizeX:
            return {0.0, false, F51_HIGHEST, false};
        case RunField::CurtainLeadThickness:
            return {0.0, true, LEAD_HIGHEST_CM, false};
        case RunField::CurtainLength: {
            const double longest = longestCurtainCm(focusSurfaceCm, phantomThicknessCm);
            if (longest < F51_HIGHEST) return {F51_LOWEST, true, longest, true};
            return {F51_LOWEST, true, F51_HIGHEST, false};
        }
        case RunField::HistoryCount:
            return {1.0, true, MAX_HISTORY_COUNT, false};
    }
    return {};
}

std::optional<RunValueFault> checkRunValue(RunField field, double value, double focusSurfaceCm,
                                           double phantomThicknessCm) {
    const RunValueRange range = runValueRange(field, focusSurfaceCm, phantomThicknessCm);
    if (within(value, range)) return std::nullopt;
    return RunValueFault{field, value, range};
}

std::optional<RunValueFault> checkRunValues(const RunValues& v) {
    const std::pair<RunField, double> values[] = {
        {RunField::PhantomThickness, v.phantomThicknessCm},
        {RunField::FocusSurfaceDistance, v.focusSurfaceCm},
        {RunField::FieldSizeY, v.fieldSizeYCm},
        {RunField::FieldSizeX, v.fieldSizeXCm},
        {RunField::CurtainLeadThickness, v.curtainLeadCm},
        {RunField::CurtainLength, v.curtainLengthCm},
        {RunField::HistoryCount, v.historyCount},
    };
    for (const auto& [field, value] : values) {
        if (auto fault = checkRunValue(field, value, v.focusSurfaceCm, v.phantomThicknessCm)) {
            return fault;
        }
    }
    return std::nullopt;
}

std::string describeRunValueFault(const RunValueFault& given, LeadUnit leadUnit) {
    RunValueFault fault = given;
    const bool millimetres =
        fault.field == RunField::CurtainLeadThickness && leadUnit == LeadUnit::Millimetre;
    if (millimetres) {
        constexpr double MM_PER_CM = 10.0;
        fault.value *= MM_PER_CM;
        fault.range.lowest *= MM_PER_CM;
        fault.range.highest *= MM_PER_CM;
    }
    const RunValueRange& r = fault.range;
    std::string text =
        std::string(millimetres ? "the curtain lead thickness [mm Pb]" : fieldName(fault.field)) +
        " " + number(fault.value);
    if (!std::isfinite(fault.value)) return text + " is not a finite number";
    if (r.lowestIncluded ? fault.value < r.lowest : fault.value <= r.lowest) {
        return text + " must be " + (r.lowestIncluded ? "at least " : "above ") + number(r.lowest);
    }
    if (r.highestIsCurtainRule) {
        return text + " is longer than FSD - 20 cm + thickness = " + number(r.highest) +
               " (the curtain would reach above its top, 20 cm below the focus)";
    }
    if (fault.field == RunField::HistoryCount) {
        return text + " is more than " + number(r.highest) + " (such a run would never end)";
    }
    return text + " is more than " + number(r.highest) +
           " (the largest the result file's column holds)";
}

int runFileLine(RunField field) { return static_cast<int>(field) + 1; }

double beamValueHighest(BeamField field) {
    return field == BeamField::Filtration ? F73_HIGHEST : F51_HIGHEST;
}

std::string beamValueProblem(BeamField field, double value) {
    const double highest = beamValueHighest(field);
    const bool aboveZero = field != BeamField::Filtration;
    const char* what = field == BeamField::TubeVoltage   ? "the tube voltage [kV]"
                       : field == BeamField::TargetAngle ? "the target angle [degree]"
                                                         : "the filtration [mm]";
    const std::string text = std::string(what) + " " + number(value);
    if (!std::isfinite(value)) return text + " is not a finite number";
    if (aboveZero ? value <= 0 : value < 0) {
        return text + " must be " + (aboveZero ? "above 0" : "0 or more");
    }
    if (field == BeamField::TargetAngle && value >= STRAIGHT_ANGLE_DEG) {
        return text + " must be below 90";
    }
    if (value >= highest + roundingMargin(highest)) {
        return text + " is more than " + number(highest) +
               " (the largest the result file's column holds)";
    }
    return {};
}

}  // namespace korvana
