// The default case: the main form's entries when korvana starts (also the
// defaults of korvana-study and of the spectrum generator's conditions), and
// the curtain and history count the examples, scripts and benchmarks add to
// them. tools/default_case.sh reads the values from this file too, so each
// line keeps the form NAME = "value";
#pragma once

namespace korvana::default_case {

// Step (1), geometry [cm]
inline constexpr const char* THICKNESS_CM = "20";
inline constexpr const char* FSD_CM = "80";
inline constexpr const char* FIELD_LONG_CM = "25";
inline constexpr const char* FIELD_SHORT_CM = "25";
// Step (2), irradiation conditions; constant potential rectification
inline constexpr const char* TUBE_VOLTAGE_KV = "80";
inline constexpr const char* TARGET_ANGLE_DEG = "12";
inline constexpr const char* INHERENT_FILTRATION_MM_AL = "2.5";
inline constexpr const char* ADDED_ALUMINIUM_MM = "1.5";
inline constexpr const char* ADDED_COPPER_MM = "0";
// Step (3) as the form starts: no lead equivalent, length 0
inline constexpr const char* FORM_CURTAIN_LENGTH_CM = "0";
// The launch dialog's history count
inline constexpr const char* HISTORIES = "500000000";

// The curtain of the default case the examples and scripts run
inline constexpr const char* CURTAIN_LEAD_MM = "0.35";
inline constexpr const char* CURTAIN_LENGTH_CM = "60";

}  // namespace korvana::default_case
