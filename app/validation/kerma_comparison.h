// Two independent runs of one condition compared tally by tally: the ratio of
// their air kermas and z, the difference in units of the combined standard
// error, for the nine measuring points, and z pooled over the grid cells.
#pragma once

#include <optional>
#include <vector>

#include "common/uncertainty_file.h"

namespace korvana::validation {

//! One tally of run b against run a.
struct TallyComparison {
    std::optional<double> ratio;           //!< b / a; empty when a's kerma is 0
    std::optional<double> combinedRelErr;  //!< combined standard error / a's kerma
    //! (b - a) / sqrt(sa^2 + sb^2) with s = kerma x rel_std_error; empty unless
    //! both kermas are above 0 with an error.
    std::optional<double> z;
};

TallyComparison compareTally(const KermaUncertainty& a, const KermaUncertainty& b);

//! z over the grid cells whose kerma is above 0 in both runs.
struct PooledZ {
    int cells = 0;         //!< cells compared
    double rmsZ = 0;       //!< sqrt(mean z^2); 0 when no cell was compared
    double meanZ = 0;      //!< mean z: a common offset of b against a shows here
    int beyond3Sigma = 0;  //!< cells with |z| > 3
    double largestAbsZ = 0;
    int fewHistories = 0;         //!< compared cells flagged few_histories in either run
    std::vector<double> zValues;  //!< z of every compared cell, column by column
};

PooledZ pooledGridZ(const UncertaintyTable& a, const UncertaintyTable& b);

}  // namespace korvana::validation
