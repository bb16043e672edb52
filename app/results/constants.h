// Sizes and fixed names of the result viewers' data.
#pragma once

#include "common/file_names.h"
#include "common/result_layout.h"

namespace korvana::app {

// The result file's layout, its nine measuring points (angle index k = 1..9
// for 30 to 150 degrees) and its 21 x 31 grid are common/result_layout.h.

//! The viewers show the angle indices 2..8 (45 to 135 degrees).
inline constexpr int FIRST_SHOWN_ANGLE = FIRST_SHOWN_POINT;
inline constexpr int LAST_SHOWN_ANGLE = LAST_SHOWN_POINT;

//! The map's raster after refinement: 10 cells per grid step, 0.5 cm apart.
inline constexpr int REFINE_STEPS = 10;
inline constexpr int MAP_COLUMNS = (GRID_COLUMNS - 1) * REFINE_STEPS + 1;  // 201
inline constexpr int MAP_ROWS = (GRID_ROWS - 1) * REFINE_STEPS + 1;        // 301

inline constexpr const char* RESULT_FILE_EXTENSION = ".data";
using korvana::CONVERSION_TABLE_FILE;

//! Lead of the protective glasses the window-less report shows beside "none".
inline constexpr double REPORT_GLASSES_MM_PB = 0.07;  //!< [mm Pb]

//! Scattering angle of index k [degree].
constexpr double angleOfIndex(int k) { return pointAngleDeg(k); }

}  // namespace korvana::app
