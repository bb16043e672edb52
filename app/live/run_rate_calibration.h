// A short calibration of the engine's speed on this machine, for the time
// estimates before a run (run_time_estimate.h): the default case run in this
// process on one thread with each estimator, a fraction of a second each.
#pragma once

#include "app/live/live_tables.h"
#include "app/run/run_time_estimate.h"

namespace korvana::app {

//! Histories of each calibration run: long enough that the engine's start
//! (its thread, the first block's lookups) is a small part of the time.
inline constexpr double ANALOG_CALIBRATION_HISTORIES = 200000;
inline constexpr double NEXT_EVENT_CALIBRATION_HISTORIES = 20000;

//! This machine's rates on the default case, marked calibrated, no run yet.
//! Throws DataError when the inputs cannot be prepared from `tables`.
RunRates calibrateRunRates(const LiveTables& tables);

}  // namespace korvana::app
