// The engine's words and lines that other programs rely on: the names of its
// two estimators (its --estimator option, the uncertainty file's estimator
// column, korvana-study's option), its progress line, which korvana-study
// follows to show how far a run has come, and the console lines from which
// korvana's runs panel reads a run's mode, its speed and how it ended.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvana {

//! Scoring of the photons that cross a disc, one by one (the default).
inline constexpr std::string_view ESTIMATOR_ANALOG = "analog";
//! Every collision's expected contribution to every disc (point detector).
inline constexpr std::string_view ESTIMATOR_NEXT_EVENT = "next-event";

//! The bin about to run and the spectrum's top bin plus one, in the record
//! "(' ',I3,' / ',I3)" without its carriage-control blank: " 10 / 241".
std::string engineProgressLine(int bin, int lastBinPlusOne);

struct EngineProgress {
    int bin = 0;             //!< the bin about to run
    int lastBinPlusOne = 0;  //!< the spectrum's top bin plus one
};

//! Both numbers of a progress line (blanks around them are free); nothing for
//! any other line of the engine's console.
std::optional<EngineProgress> engineProgress(std::string_view line);

//! The bin of a progress line; nothing for any other line.
std::optional<int> engineProgressBin(std::string_view line);

//! The title in the banner the engine shows before it waits for the Enter key.
inline constexpr std::string_view ENGINE_BANNER_TITLE = "      ***  Monte Carlo Simulation  ***";
//! The first line after the Enter key: the histories start.
inline constexpr std::string_view ENGINE_START_LINE = " <<< Monte Carlo Simulation >>>";
//! The single-stream mode's line when it scores with the point detector.
inline constexpr std::string_view ENGINE_NEXT_EVENT_LINE = " Next-event estimator";
//! The result and its uncertainty file are written.
inline constexpr std::string_view ENGINE_SAVED_LINE = "  ---     Result was saved     ---";
//! The run ended without a result file (no usable name was given).
inline constexpr std::string_view ENGINE_NOT_SAVED_LINE =
    "No file name given - the results were not saved.";
//! The run ended without a result file because writing it failed; the
//! reason follows on the same line.
inline constexpr std::string_view ENGINE_NOT_WRITTEN_PREFIX = "The results were not saved: ";
//! Every line of the engine's error report starts so, on its error stream.
inline constexpr std::string_view ENGINE_ERROR_PREFIX = "lumetrel: ";
//! The error report's last line, after the reason.
inline constexpr std::string_view ENGINE_STOPPED_LINE =
    "lumetrel: stopped; no result file was written.";

//! The parallel mode's line: " Parallel mode: 2 threads, seed 1, analog estimator"
//! (with " in each of N processes" after the threads when N > 1).
std::string engineModeLine(int threads, int processes, std::uint64_t seed,
                           std::string_view estimator);

struct EngineMode {
    int threads = 1;        //!< threads of each process
    int processes = 1;      //!< processes of the run
    std::string estimator;  //!< ESTIMATOR_ANALOG or ESTIMATOR_NEXT_EVENT
};

//! The threads, processes and estimator of a parallel mode line; nothing for
//! any other line.
std::optional<EngineMode> engineMode(std::string_view line);

//! The parallel mode's tick: "   ... 42 % of the histories done, about 120 s
//! left", or before the first block is merged "   ... 5 s, first blocks still
//! running".
std::string engineTimeLeftLine(std::int64_t historiesDone, std::int64_t historiesTotal,
                               double seconds);

struct EngineTimeLeft {
    double shareDone = 0;    //!< of the histories, 0 to 1
    double secondsLeft = 0;  //!< the engine's own estimate [s]
};

//! The share done and the time left of a tick with merged histories; nothing
//! for any other line (the first blocks' tick included).
std::optional<EngineTimeLeft> engineTimeLeft(std::string_view line);

//! The parallel mode's speed after the run: " 2000000 histories in 12.3 s:
//! 1.626e+05 histories per second".
std::string engineSpeedLine(std::int64_t histories, double seconds);

struct EngineSpeed {
    std::int64_t histories = 0;
    double seconds = 0;  //!< wall time of the histories [s]
};

//! The histories and wall time of a speed line; nothing for any other line.
std::optional<EngineSpeed> engineSpeed(std::string_view line);

}  // namespace korvana
