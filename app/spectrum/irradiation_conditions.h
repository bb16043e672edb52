// The irradiation conditions of one spectrum run, read from the texts of the
// main form's step (2) and corrected or rejected before any computation.
//
// Silent corrections, each also rewriting its text box:
//   tube voltage of 150 kV or more runs as 149.5 kV  (text "149.5")
//   tube voltage of 30 kV or less runs as 30 kV       (text "30")
//   inherent filtration below 1 mm runs as 1 mm       (text "1")
// Rejected with a DataError, because they would crash or falsify the spectrum:
//   a target angle not strictly between 0 and 90 degrees (no cotangent for
//   the path in the anode), added filters thinner than 0 mm, and any value that
//   is not finite.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/default_case.h"

namespace korvana::app {

//! Rectification of the tube voltage; the numbers are the form's option values.
enum class RectificationMode {
    ConstantPotential = 1,    //!< one phase at the peak voltage
    ThreePhase12Peak = 2,     //!< ripple between kV x sin 75 deg and kV
    SinglePhaseFullWave = 3,  //!< full half-sine, tube current falling at low voltage
};

//! The texts as typed: Text1, Text5, Text2, Text3, Text4 of the main form.
struct ConditionTexts {
    std::string tubeVoltageKv = default_case::TUBE_VOLTAGE_KV;    //!< Text1 [kV]
    std::string targetAngleDeg = default_case::TARGET_ANGLE_DEG;  //!< Text5 [degree]
    std::string inherentFiltrationMm =
        default_case::INHERENT_FILTRATION_MM_AL;                      //!< Text2 [mm Al eq.]
    std::string addedAluminiumMm = default_case::ADDED_ALUMINIUM_MM;  //!< Text3 [mm]
    std::string addedCopperMm = default_case::ADDED_COPPER_MM;        //!< Text4 [mm]
};

struct IrradiationConditions {
    double tubeVoltageKv = 80;           //!< [kV] peak, 30 to 149.5
    double targetAngleDeg = 12;          //!< [degree], 0 < angle < 90
    double inherentFiltrationCm = 0.25;  //!< [cm Al equivalent], at least 0.1
    double addedAluminiumCm = 0.15;      //!< [cm]
    double addedCopperCm = 0;            //!< [cm]
    RectificationMode rectification = RectificationMode::ConstantPotential;
};

//! The conditions and the texts the form must show after the corrections.
struct ConditionReading {
    IrradiationConditions conditions;
    std::optional<std::string> correctedTubeVoltageText;  //!< new Text1, when corrected
    std::optional<std::string> correctedInherentText;     //!< new Text2, when corrected
};

//! Reads the texts with the text-box number rule and applies the corrections
//! and checks above. Throws DataError with a message for the user.
ConditionReading readIrradiationConditions(const ConditionTexts& texts,
                                           RectificationMode rectification);

//! RectificationMode of the option value 1, 2 or 3; empty for any other value.
std::optional<RectificationMode> rectificationFromNumber(int value);

//! The word the command lines name a rectification by: "cp", "3phase", "1phase".
std::string rectificationWord(RectificationMode mode);
//! RectificationMode of its word or of its number ("1" to "3", as the main
//! form's option buttons count them); empty for anything else.
std::optional<RectificationMode> rectificationFromText(std::string_view text);

}  // namespace korvana::app
