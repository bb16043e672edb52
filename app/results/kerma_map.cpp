#include "app/results/kerma_map.h"

#include <cmath>

#include "app/common/picture_format.h"
#include "app/results/rounding.h"

namespace korvana::app {

namespace {

constexpr double MAP_WIDTH_UNITS = 400.0;   // X of the map's right edge
constexpr double MAP_HEIGHT_UNITS = 600.0;  // Y of the map's top edge
constexpr double UNITS_PER_CM = 4.0;
constexpr double UNITS_PER_CELL = 2.0;  // 0.5 cm

// Lower limits [%] of bands 1 to 10; band 11 takes the rest.
constexpr std::array<double, 10> BAND_LOWER_LIMITS = {90, 80, 70, 60, 50, 40, 30, 20, 10, 5};

constexpr Rgb MAXIMUM_COLOUR = {255, 255, 255};
constexpr Rgb BAND_50_MAP_COLOUR = {164, 208, 80};

const std::array<LegendBand, BAND_COUNT - 1> LEGEND = {{
    {{255, 0, 255}, "90 -100"},
    {{255, 0, 0}, "80 - 90"},
    {{255, 192, 0}, "70 - 80"},
    {{255, 255, 0}, "60 - 70"},
    {{146, 208, 80}, "50 - 60"},
    {{0, 176, 80}, "40 - 50"},
    {{0, 176, 240}, "30 - 40"},
    {{0, 112, 192}, "20 - 30"},
    {{112, 48, 160}, "10 - 20"},
    {{126, 126, 126}, "5 - 10"},
    {{200, 200, 200}, "0 -  5"},
}};

// A whole number of cm with a leading blank when not negative (" 50", "-99").
std::string readoutCentimetres(int cm) { return (cm >= 0 ? " " : "") + std::to_string(cm); }

}  // namespace

KermaMap refineKermaGrid(const KermaGrid& grid) {
    // Along x: H(i, m), 201 x 31, ten steps between neighbouring columns.
    std::vector<std::array<double, GRID_ROWS + 1>> along(MAP_COLUMNS + 1);
    for (int m = 1; m <= GRID_ROWS; ++m) {
        for (int n = 1; n < GRID_COLUMNS; ++n) {
            for (int s = 1; s <= REFINE_STEPS; ++s) {
                along[REFINE_STEPS * (n - 1) + s][m] =
                    grid[n][m] + (s - 1) * (grid[n + 1][m] - grid[n][m]) / REFINE_STEPS;
            }
        }
        along[MAP_COLUMNS][m] = grid[GRID_COLUMNS][m];
    }
    // Along z.
    KermaMap map;
    for (int i = 1; i <= MAP_COLUMNS; ++i) {
        for (int m = 1; m < GRID_ROWS; ++m) {
            for (int s = 1; s <= REFINE_STEPS; ++s) {
                map.at(i, REFINE_STEPS * (m - 1) + s) =
                    along[i][m] + (s - 1) * (along[i][m + 1] - along[i][m]) / REFINE_STEPS;
            }
        }
        map.at(i, MAP_ROWS) = along[i][GRID_ROWS];
    }
    for (int j = 1; j <= MAP_ROWS; ++j) {
        for (int i = 1; i <= MAP_COLUMNS; ++i) {
            if (map.at(i, j) > map.kermaMapMax) map.kermaMapMax = map.at(i, j);
        }
    }
    if (map.kermaMapMax > 0.0) {
        for (double& value : map.percent) value = value / map.kermaMapMax * 100.0;
    } else {
        // Nothing scored anywhere: no scale to percent exists, the map shows 0.
        std::fill(map.percent.begin(), map.percent.end(), 0.0);
    }
    return map;
}

int kermaBandOf(double percent) {
    if (percent == 100.0) return 0;
    for (std::size_t band = 0; band < BAND_LOWER_LIMITS.size(); ++band) {
        if (percent > BAND_LOWER_LIMITS[band]) return static_cast<int>(band) + 1;
    }
    return BAND_COUNT - 1;
}

Rgb mapColourOf(double percent) {
    const int band = kermaBandOf(percent);
    if (band == 0) return MAXIMUM_COLOUR;
    if (band == 5) return BAND_50_MAP_COLOUR;
    return LEGEND[band - 1].colour;
}

const std::array<LegendBand, BAND_COUNT - 1>& legendBands() { return LEGEND; }

std::optional<KermaReadout> kermaReadoutAt(const KermaMap& map, double x, double y) {
    if (!(x >= 0.0 && x <= MAP_WIDTH_UNITS && y >= 0.0 && y <= MAP_HEIGHT_UNITS)) {
        return std::nullopt;
    }
    KermaReadout readout;
    readout.xText =
        readoutCentimetres(static_cast<int>(std::floor(x / UNITS_PER_CM + MAP_LEFT_X_CM)));
    readout.zText =
        readoutCentimetres(-static_cast<int>(std::floor(y / UNITS_PER_CM - MAP_BOTTOM_Z_CM)));
    readout.column = static_cast<int>(roundHalfToEven(x / UNITS_PER_CELL)) + 1;
    readout.row = static_cast<int>(roundHalfToEven(MAP_ROWS - y / UNITS_PER_CELL));
    readout.percent = map.at(readout.column, readout.row);
    readout.kermaRatio = map.kermaMapMax * 0.01 * readout.percent;
    readout.percentText = formatPicture(readout.percent, "##0.0");
    readout.kermaText = formatPicture(readout.kermaRatio, "0.000E+00");
    return readout;
}

std::string kermaMapMaxText(const KermaMap& map) {
    return formatPicture(map.kermaMapMax, "0.000E+00");
}

}  // namespace korvana::app
