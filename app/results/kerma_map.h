// The air kerma distribution map: the engine's 21 x 31 grid refined to a
// 0.5 cm raster in percent of its maximum, its colour bands and the mouse
// readout.
//
// Map coordinates (X, Y) are the drawing units of the map window: 4 units a
// cm, X = 4 (x - 50), Y = 200 - 4 z, so the map covers X = 0..400 (x = 50 to
// 150 cm) and Y = 0..600 (z = 50 cm at the bottom up to -100 cm at the top).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/common/colour.h"
#include "app/results/constants.h"

namespace korvana::app {

//! Air kerma ratios [Gy per Gy at the entrance surface] of the engine's grid,
//! indexed [n][m] with column n = 1..21 (x = 50 + 5 (n - 1) cm) and row
//! m = 1..31 (z = -100 + 5 (m - 1) cm); index 0 is not used.
using KermaGrid = std::array<std::array<double, GRID_ROWS + 1>, GRID_COLUMNS + 1>;

//! The map's edges in the engine's coordinates [cm]: its left side at the
//! grid's first column, its bottom at the grid's last row.
inline constexpr double MAP_LEFT_X_CM = GRID_FIRST_X;
inline constexpr double MAP_BOTTOM_Z_CM = GRID_FIRST_Z + GRID_STEP * (GRID_ROWS - 1);
//! Spacing of the refined raster [cm].
inline constexpr double MAP_CELL_CM = GRID_STEP / REFINE_STEPS;

//! x [cm] of raster column i = 1..201 and z [cm] of raster row j = 1..301.
constexpr double mapColumnX(int column) { return MAP_LEFT_X_CM + MAP_CELL_CM * (column - 1); }
constexpr double mapRowZ(int row) { return GRID_FIRST_Z + MAP_CELL_CM * (row - 1); }

//! The refined raster: column i = 1..201 at x = mapColumnX(i), row j = 1..301
//! at z = mapRowZ(j) (row 1 the top of the map, z = -100 cm).
struct KermaMap {
    std::vector<double> percent =
        std::vector<double>(MAP_COLUMNS * MAP_ROWS, 0.0);  //!< [%] of kermaMapMax
    double kermaMapMax = 0.0;  //!< [Gy per Gy] largest refined value; 0 when the grid holds nothing

    double at(int column, int row) const { return percent[index(column, row)]; }
    double& at(int column, int row) { return percent[index(column, row)]; }

private:
    static std::size_t index(int column, int row) {
        return static_cast<std::size_t>(row - 1) * MAP_COLUMNS +
               static_cast<std::size_t>(column - 1);
    }
};

//! Linear interpolation along x, then along z, in ten steps per grid step;
//! the raster passes exactly through the grid values. Values are then scaled
//! to percent of the largest one, so the cells holding it are exactly 100.
//! A grid whose largest value is not above 0 gives a map of zeros and a
//! kermaMapMax of 0.
KermaMap refineKermaGrid(const KermaGrid& grid);

//! Colour bands, in percent of the maximum. Band 0 is the maximum itself
//! (exactly 100, white); bands 1 to 11 are the legend's rows from the top:
//! 1 above 90, 2 above 80, ... 9 above 10, 10 above 5, 11 the rest. A limit
//! belongs to the lower band (exactly 90 is band 2).
inline constexpr int BAND_COUNT = 12;
int kermaBandOf(double percent);

//! The colour a map cell of `percent` is painted in.
Rgb mapColourOf(double percent);

//! A legend row: its swatch colour and its caption.
struct LegendBand {
    Rgb colour;
    const char* caption;
};
//! The eleven legend rows, top (90 -100) to bottom (0 - 5). The 50 - 60
//! swatch differs slightly from that band's map colour.
const std::array<LegendBand, BAND_COUNT - 1>& legendBands();

//! What the mouse readout shows for a pointer at (X, Y) over the map.
struct KermaReadout {
    int column = 0;           //!< map column 1..201
    int row = 0;              //!< map row 1..301
    std::string xText;        //!< x [cm], a whole number, leading blank when not negative
    std::string zText;        //!< z [cm], likewise
    std::string percentText;  //!< "##0.0"
    std::string kermaText;    //!< air kerma ratio [Gy per Gy], "0.000E+00"
    double percent = 0.0;     //!< [%]
    double kermaRatio = 0.0;  //!< [Gy per Gy]
};

//! The readout at (X, Y), or nothing when the pointer is off the map
//! (X outside 0..400 or Y outside 0..600): cross-hair hidden, readouts empty.
std::optional<KermaReadout> kermaReadoutAt(const KermaMap& map, double x, double y);

//! kermaMapMax as the "100 % =" label shows it ("0.000E+00").
std::string kermaMapMaxText(const KermaMap& map);

}  // namespace korvana::app
