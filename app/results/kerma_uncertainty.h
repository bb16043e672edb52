// The statistical uncertainty of a loaded result's air kerma as the viewers
// show it: the engine's NAME.unc.csv beside the result file, when it wrote one.
#pragma once

#include <optional>
#include <string>

#include "app/results/result_set.h"
#include "common/uncertainty_file.h"

namespace korvana::app {

//! Reads the uncertainties beside `set.fileName` into `set.uncertainties`:
//! empty for an older result without the file. A damaged file leaves them
//! empty and throws its DataError; the result itself stays usable.
void attachUncertainties(ResultSet& set);

//! The relative standard error [%] of the air kerma at angle index k = 1..9,
//! when the result has uncertainties and the kerma there is not 0.
std::optional<double> pointRelativeErrorPercent(const ResultSet& set, int angleIndex);
//! Whether the estimate at angle index k rests on too few histories to trust.
bool pointHasFewHistories(const ResultSet& set, int angleIndex);

//! The relative standard error [%] of the engine's grid point nearest to the
//! refined map cell (column 1..201, row 1..301), when known.
std::optional<double> mapRelativeErrorPercent(const std::optional<UncertaintyTable>& uncertainties,
                                              int mapColumn, int mapRow);

//! "±1.2 %": one decimal, as the viewers show a relative error.
std::string relativeErrorText(double percent);

}  // namespace korvana::app
