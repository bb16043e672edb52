// What the run parameters of B2F.txt may hold: each value must fit its
// condition line of the result file (result_layout.h, lines 311-322) and make
// physical sense for the scene. One rule for the engine, which refuses a run
// file before its banner, and for the launch dialog and korvana-study, which
// refuse the same values before anything runs.
//
//   value                         unit    accepted                 result file
//   object thickness              cm      above 0, up to 999.9     F5.1
//   focus-surface distance        cm      above 0, up to 999.9     F5.1
//   field size along y and x      cm      above 0, up to 999.9     F5.1
//   curtain lead thickness        cm Pb   0 up to 0.9999           F5.3 of mm
//   curtain length L              cm      -99.9 up to 999.9 and    F5.1
//                                         FSD - 20 cm + thickness
//   number of histories           -       1 up to 1e15             E8.1
//
// A value is compared as the result file would show it: it fits when it rounds
// to the largest value shown or less (999.94 is written as 999.9). A negative
// curtain length lets the curtain hang below the object's exit surface. More
// than 1e15 histories would run for years on any machine. Not-a-number and
// infinite values fit nothing.
#pragma once

#include <optional>
#include <string>

namespace korvana {

enum class RunField {
    PhantomThickness,
    FocusSurfaceDistance,
    FieldSizeY,
    FieldSizeX,
    CurtainLeadThickness,
    CurtainLength,
    HistoryCount,
};

//! The values of lines 1-7 of B2F.txt, in its units.
struct RunValues {
    double phantomThicknessCm = 0;
    double focusSurfaceCm = 0;
    double fieldSizeYCm = 0;
    double fieldSizeXCm = 0;
    double curtainLeadCm = 0;
    double curtainLengthCm = 0;
    double historyCount = 0;
};

//! The accepted range of one value: lowest < value (or <= when lowestIncluded)
//! and value <= highest.
struct RunValueRange {
    double lowest = 0;
    bool lowestIncluded = false;
    double highest = 0;
    //! Whether `highest` is the curtain rule's longest curtain rather than the column's limit.
    bool highestIsCurtainRule = false;
};

//! The range of `field`. The curtain length's highest value depends on the
//! focus-surface distance and the object thickness [cm]; the others ignore them.
RunValueRange runValueRange(RunField field, double focusSurfaceCm = 0,
                            double phantomThicknessCm = 0);

struct RunValueFault {
    RunField field;
    double value = 0;
    RunValueRange range;
};

//! The fault of one value, none when it is accepted.
std::optional<RunValueFault> checkRunValue(RunField field, double value, double focusSurfaceCm = 0,
                                           double phantomThicknessCm = 0);

//! The first fault of the seven values in the order of the run file's lines.
std::optional<RunValueFault> checkRunValues(const RunValues& values);

//! The unit the curtain's lead is given in: the run file's cm, or the mm the
//! main form and korvana-study --pb take.
enum class LeadUnit { Centimetre, Millimetre };

//! "the focus-surface distance [cm] 1000 is more than 999.9 (the largest the
//! result file's column holds)", in English, for the console programs; the
//! lead thickness and its range in `leadUnit`.
std::string describeRunValueFault(const RunValueFault& fault,
                                  LeadUnit leadUnit = LeadUnit::Centimetre);

//! The run file's line (1-7) of `field`.
int runFileLine(RunField field);

//! The beam's values that B_SPCTL.dat carries after the spectrum and the
//! result file repeats: tube voltage [kV] and target angle [degree] in F5.1,
//! the three filtrations [mm] in F7.3, each from 0 (voltage and angle above
//! it, the angle below 90) up to what the column holds. Returns the problem
//! in English, empty when the value is accepted.
enum class BeamField { TubeVoltage, TargetAngle, Filtration };
std::string beamValueProblem(BeamField field, double value);

//! The largest value of `field` that beamValueProblem accepts, as its column shows it.
double beamValueHighest(BeamField field);

}  // namespace korvana
