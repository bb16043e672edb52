#include "app/validation/kerma_comparison.h"

#include <algorithm>
#include <cmath>

namespace korvana::validation {

TallyComparison compareTally(const KermaUncertainty& a, const KermaUncertainty& b) {
    TallyComparison result;
    if (a.airKermaRatio <= 0.0) {
        return result;
    }
    result.ratio = b.airKermaRatio / a.airKermaRatio;
    if (b.airKermaRatio <= 0.0 || !a.relStdError || !b.relStdError) {
        return result;
    }
    const double sa = a.airKermaRatio * *a.relStdError;
    const double sb = b.airKermaRatio * *b.relStdError;
    const double combined = std::sqrt(sa * sa + sb * sb);
    result.combinedRelErr = combined / a.airKermaRatio;
    if (combined > 0.0) {
        result.z = (b.airKermaRatio - a.airKermaRatio) / combined;
    }
    return result;
}

PooledZ pooledGridZ(const UncertaintyTable& a, const UncertaintyTable& b) {
    PooledZ pooled;
    double sumZ = 0.0;
    double sumZ2 = 0.0;
    for (int column = 0; column < GRID_COLUMNS; ++column) {
        for (int row = 0; row < GRID_ROWS; ++row) {
            const KermaUncertainty& cellA = a.grid[column][row];
            const KermaUncertainty& cellB = b.grid[column][row];
            const std::optional<double> z = compareTally(cellA, cellB).z;
            if (!z) {
                continue;
            }
            ++pooled.cells;
            pooled.zValues.push_back(*z);
            sumZ += *z;
            sumZ2 += *z * *z;
            if (std::abs(*z) > 3.0) {
                ++pooled.beyond3Sigma;
            }
            pooled.largestAbsZ = std::max(pooled.largestAbsZ, std::abs(*z));
            if (cellA.fewHistories || cellB.fewHistories) {
                ++pooled.fewHistories;
            }
        }
    }
    if (pooled.cells > 0) {
        pooled.rmsZ = std::sqrt(sumZ2 / pooled.cells);
        pooled.meanZ = sumZ / pooled.cells;
    }
    return pooled;
}

}  // namespace korvana::validation
