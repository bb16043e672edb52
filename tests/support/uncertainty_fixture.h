// Uncertainty files beside result files for the viewers' tests, written with
// the engine's own writer lines.
#pragma once

#include <string>

#include "common/uncertainty_file.h"
#include "temp_dir.h"

namespace korvana::testing {

//! Relative errors that differ from quantity to quantity: the point at index
//! j (30 + 15 j degrees) has (j + 1) %, the grid cell (i, k) (i + 1) / 10 %
//! plus k / 1000 %; the 150 degree point saw too few histories.
inline UncertaintyTable sampleUncertainties() {
    UncertaintyTable table;
    for (int j = 0; j < POINT_COUNT; ++j) {
        table.points[j] = {1e-4 * (j + 1), 0.01 * (j + 1), j == POINT_COUNT - 1};
    }
    for (int i = 0; i < GRID_COLUMNS; ++i) {
        for (int k = 0; k < GRID_ROWS; ++k) {
            table.grid[i][k] = {1e-5, 0.001 * (i + 1) + 0.00001 * k, false};
        }
    }
    return table;
}

inline void writeUncertaintiesBeside(const std::string& resultFileName,
                                     const UncertaintyTable& table = sampleUncertainties()) {
    writeLines(uncertaintyFileName(resultFileName), uncertaintyFileLines(table));
}

}  // namespace korvana::testing
