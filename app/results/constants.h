// Sizes and fixed names of the result viewers' data.
#pragma once

namespace korvana::app {

//! Measuring points of a result file: angle index k = 1..9 for the scattering
//! angles 30 to 150 degrees in steps of 15; the viewers show k = 2..8.
inline constexpr int ANGLE_COUNT = 9;
inline constexpr int FIRST_SHOWN_ANGLE = 2;      //!< 45 degrees
inline constexpr int LAST_SHOWN_ANGLE = 8;       //!< 135 degrees
inline constexpr double FIRST_ANGLE_DEG = 30.0;  //!< [degree] angle of index 1
inline constexpr double ANGLE_STEP_DEG = 15.0;   //!< [degree] between neighbouring indices

//! The engine's distribution grid: 21 columns x = 50..150 cm, 31 rows z = -100..50 cm, 5 cm apart.
inline constexpr int GRID_COLUMNS = 21;
inline constexpr int GRID_ROWS = 31;
//! The map's raster after refinement: 10 cells per grid step, 0.5 cm apart.
inline constexpr int REFINE_STEPS = 10;
inline constexpr int MAP_COLUMNS = (GRID_COLUMNS - 1) * REFINE_STEPS + 1;  // 201
inline constexpr int MAP_ROWS = (GRID_ROWS - 1) * REFINE_STEPS + 1;        // 301

//! Lines of a result file before its twelve run conditions (lines 311-322).
inline constexpr int LINES_BEFORE_CONDITIONS = 310;
inline constexpr int CONDITION_COUNT = 12;

inline constexpr const char* RESULT_FILE_EXTENSION = ".data";
inline constexpr const char* CONVERSION_TABLE_FILE = "d-DperK.dDk";

//! Lead of the protective glasses the window-less report shows beside "none".
inline constexpr double REPORT_GLASSES_MM_PB = 0.07;  //!< [mm Pb]

//! Scattering angle of index k [degree].
constexpr double angleOfIndex(int k) { return FIRST_ANGLE_DEG + ANGLE_STEP_DEG * (k - 1); }

}  // namespace korvana::app
