// Uncertainty files beside result files for the viewers' tests, written with
// the engine's own writer lines and paired with their result file.
#pragma once

#include <string>

#include "app/results/result_set.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"
#include "temp_dir.h"

namespace korvana::testing {

//! Relative errors that differ from quantity to quantity: the point at index
//! j (30 + 15 j degrees) has (j + 1) %, the grid cell (i, k) (i + 1) / 10 %
//! plus k / 1000 %; the 150 degree point saw too few histories; the error
//! estimates of the 120 degree point and of the column x = 150 cm are unstable.
inline UncertaintyTable sampleUncertainties() {
    UncertaintyTable table;
    for (int j = 0; j < POINT_COUNT; ++j) {
        const bool unstable = j == 6;
        table.points[j] = {1e-4 * (j + 1), 0.01 * (j + 1), j == POINT_COUNT - 1,
                           unstable ? 0.25 : 0.01, unstable};
    }
    for (int i = 0; i < GRID_COLUMNS; ++i) {
        for (int k = 0; k < GRID_ROWS; ++k) {
            const bool unstable = i == GRID_COLUMNS - 1;
            table.grid[i][k] = {1e-5, 0.001 * (i + 1) + 0.00001 * k, false, unstable ? 0.5 : 0.02,
                                unstable};
        }
    }
    return table;
}

//! Writes `table` as the uncertainty file of the result file already there:
//! with that result's kermas and digest, as the engine pairs them.
inline void writeUncertaintiesBeside(const std::string& resultFileName,
                                     UncertaintyTable table = sampleUncertainties()) {
    const app::ResultSet set = app::readResultSet(resultFileName);
    for (int k = 1; k <= POINT_COUNT; ++k)
        table.points[k - 1].airKermaRatio = set.pointKermaRatio[k];
    for (int i = 1; i <= GRID_COLUMNS; ++i) {
        for (int k = 1; k <= GRID_ROWS; ++k)
            table.grid[i - 1][k - 1].airKermaRatio = set.kermaGrid[i][k];
    }
    table.histories = 1000000;
    table.resultDigest = resultDigest(readTextFile(resultFileName, FileKind::Result).lines);
    writeLines(uncertaintyFileName(resultFileName), uncertaintyFileLines(table));
}

}  // namespace korvana::testing
