// The expected wall time of an engine run, before it starts: the histories
// divided by a rate measured on this machine, for each estimator in
// histories per second on one thread, times the threads (the engine's blocks
// run side by side, so the rate grows with them). The rates start from a
// short calibration run on this machine (korvana measures one at the launch
// dialog's first opening in a working directory, run_rate_calibration.h), or
// from figures measured on the development machine (seedRunRates) where none
// was made, and are refined by every run that finishes: the first run
// replaces the starting figure, later ones enter a mean over the last few
// runs, so the estimate follows the machine without jumping at one odd run.
// They are kept in RUN_RATES_FILE in the working directory, which korvana and
// korvana-study share:
//
//   {"korvana_run_rates": 1,
//    "analog":     {"historiesPerSecondPerThread": 2.4e6, "runs": 3, "calibrated": true},
//    "next-event": {"historiesPerSecondPerThread": 2.0e5, "runs": 0, "calibrated": true}}
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvana::app {

inline constexpr const char* RUN_RATES_FILE = "engine_speed.json";
inline constexpr int RUN_RATES_VERSION = 1;
//! Runs in the mean that refines a rate: enough to smooth one odd run, few
//! enough to follow a change of machine or load.
inline constexpr int RATE_MEAN_RUNS = 5;
//! Runs shorter than this say more about the engine's start than its speed [s].
inline constexpr double SHORTEST_REFINING_RUN_SECONDS = 5.0;

struct EstimatorRate {
    double historiesPerSecondPerThread = 0;
    int runs = 0;             //!< finished runs that refined it; 0: still the starting figure
    bool calibrated = false;  //!< the starting figure was measured on this machine
};

struct RunRates {
    EstimatorRate analog;
    EstimatorRate nextEvent;

    EstimatorRate& of(std::string_view estimator);
    const EstimatorRate& of(std::string_view estimator) const;
};

//! The rates measured on the development machine (2 cores, default case).
RunRates seedRunRates();

//! Expected wall time [s] of `histories` on `threads` threads (1 for the
//! single-stream mode) with `estimator` ("analog" or "next-event").
double expectedRunSeconds(const RunRates& rates, double histories, int threads,
                          std::string_view estimator);

//! [s] The longest wall time a time estimate shows (some three centuries):
//! beyond it the rate is not this machine's (a damaged RUN_RATES_FILE), and
//! a count of seconds would soon leave every integer type.
inline constexpr double LONGEST_SHOWN_SECONDS = 1e10;

//! A wall time to show, rounded to whole seconds; none, shown as "?", when it
//! is not finite, below 0 or beyond LONGEST_SHOWN_SECONDS.
std::optional<long long> shownSeconds(double seconds);

//! Takes a finished run of `histories` in `seconds` on `threads` threads into
//! its estimator's rate; false (rates unchanged) for a run too short to tell.
bool refineRunRates(RunRates& rates, double histories, double seconds, int threads,
                    std::string_view estimator);

//! The rates kept in a file, and why the file could not be used.
struct KeptRunRates {
    RunRates rates;       //!< the file's, or the seed when it is missing or cannot be used
    std::string problem;  //!< empty, or the DataError text naming the file and the reason
    //! No file, or a regular one (damaged or not): the next finished run may
    //! write it. False for a directory, a FIFO, a device or a dangling link
    //! in its place, which a finished run leaves alone.
    bool writable = true;
};

//! The rates kept in `fileName`. The file is only a cache: whatever is wrong
//! with it costs the refinement, never the run. A missing file gives the seed
//! without a problem; a damaged one (not JSON, a key twice, too large) the
//! seed with the problem, and it is rewritten by the next finished run;
//! anything but a regular file the seed with the problem, and it is left as
//! it is. A file of another layout version gives the seed without a problem.
KeptRunRates readKeptRunRates(const std::string& fileName);
//! readKeptRunRates(fileName).rates, for callers that word no problem.
RunRates readRunRates(const std::string& fileName);
//! Writes the rates (throws DataError when the file cannot be written).
void writeRunRates(const std::string& fileName, const RunRates& rates);

//! Takes a finished run into the rates kept in `fileName` (refineRunRates),
//! rewriting the file when the run refines them and the file is writable
//! (KeptRunRates). A file that cannot be written leaves the estimate as it
//! was: the run itself is not concerned.
void recordFinishedRun(const std::string& fileName, double histories, double seconds, int threads,
                       std::string_view estimator);

}  // namespace korvana::app
