// The result file's layout and the scoring geometry it reports, shared by the
// engine that writes it and every program that reads it.
//
// Lines 1-300: the spectra by energy bin; 301: peak-bin photons and primary
// kerma; 302-310: the nine measuring points; 311-322: the twelve run
// conditions; 323-353: the grid, one line per row (z = -100 to 50 cm), 21
// columns each (x = 50 to 150 cm). Lengths in the engine's coordinates: cm,
// origin at the field centre on the entrance surface, +z along the beam, +x
// towards the worker.
#pragma once

namespace korvana {

//! The measuring points: index 1..9 for the scattering angles 30 to 150 degrees.
inline constexpr int POINT_COUNT = 9;
inline constexpr int FIRST_POINT_ANGLE_DEG = 30;  //!< [degree] index 1
inline constexpr int POINT_ANGLE_STEP_DEG = 15;   //!< [degree] between neighbouring indices

//! The scattering angle [degree] of measuring point `index` 1..9: 30, 45, ..., 150.
constexpr int pointAngleDeg(int index) {
    return FIRST_POINT_ANGLE_DEG + POINT_ANGLE_STEP_DEG * (index - 1);
}

//! The points the viewers show and give eye lens doses for: 2..8, 45 to 135 degrees.
inline constexpr int FIRST_SHOWN_POINT = 2;
inline constexpr int LAST_SHOWN_POINT = 8;
inline constexpr int SHOWN_POINT_COUNT = LAST_SHOWN_POINT - FIRST_SHOWN_POINT + 1;

//! The distribution grid: columns x = 50, 55, ..., 150 cm, rows z = -100, -95, ..., 50 cm.
inline constexpr int GRID_COLUMNS = 21;
inline constexpr int GRID_ROWS = 31;
inline constexpr float GRID_FIRST_X = 50.0f;    //!< [cm]
inline constexpr float GRID_FIRST_Z = -100.0f;  //!< [cm]
inline constexpr float GRID_STEP = 5.0f;        //!< [cm]

//! x [cm] of grid column 1..21 and z [cm] of grid row 1..31.
inline float gridColumnX(int column) {
    return GRID_FIRST_X + GRID_STEP * static_cast<float>(column - 1);
}
inline float gridRowZ(int row) { return GRID_FIRST_Z + GRID_STEP * static_cast<float>(row - 1); }

inline constexpr int RESULT_FILE_LINES = 353;
inline constexpr int FIRST_POINT_LINE = 302;      //!< point 1; points 2..9 follow
inline constexpr int FIRST_CONDITION_LINE = 311;  //!< thickness; eleven conditions follow
inline constexpr int CONDITION_COUNT = 12;
inline constexpr int FIRST_GRID_LINE = 323;  //!< row 1 (z = -100 cm)

}  // namespace korvana
