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
//! Whether the error estimate at angle index k is itself unstable (its
//! variance of the variance is high, or one history makes much of the tally).
bool pointIsUnstable(const ResultSet& set, int angleIndex);

//! The uncertainty of the engine's grid point nearest to the refined map
//! cell (column 1..201, row 1..301); null when the result has none.
const KermaUncertainty* nearestGridUncertainty(const std::optional<UncertaintyTable>& uncertainties,
                                               int mapColumn, int mapRow);
//! Its relative standard error [%], when known.
std::optional<double> mapRelativeErrorPercent(const std::optional<UncertaintyTable>& uncertainties,
                                              int mapColumn, int mapRow);

//! Which estimator made the result, as the uncertainty file names it
//! ("analog" or "next-event"); empty for a result without the file.
std::optional<std::string> estimatorOf(const ResultSet& set);

//! "±1.2 %": one decimal, as the viewers show a relative error.
std::string relativeErrorText(double percent);

}  // namespace korvana::app
