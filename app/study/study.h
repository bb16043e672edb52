// korvana-study: runs the conditions of a study one after another through
// the real chain (condition_run.h) and keeps OUT/summary.csv and
// OUT/summary.svg (drawn by the writer it is given), or joins the summaries of a study run in
// parts.
//
// Before anything runs, the conditions are listed with the expected wall time
// of their engine runs (app/run/run_time_estimate.h); --dry-run stops there.
// Each condition whose engine reported its speed refines that estimate.
// A condition whose result file and "ok" summary row of the same inputs
// exist is skipped unless --force, so an interrupted study goes on where it
// stopped. A failed condition is reported with its folder and reason, gets a
// "failed: reason" row, and the study goes on. The progress line (condition
// k of n, histories per second, time left for the condition and the study) is
// rewritten in place on a terminal and written as separate lines, at most one
// every ten seconds, into a file. When keepGoing turns false (Ctrl+C) the
// running program is stopped and the running condition's folder removed.
// One study at a time may run in a folder: a second is refused.
//
// Exit status: 0 all conditions ok; 1 refused before anything ran (the reason
// on `errors`) or some condition failed (or, for --merge, missing
// conditions); 130 interrupted.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "app/study/condition_run.h"
#include "app/study/study_options.h"

namespace korvana::study {

inline constexpr int EXIT_INTERRUPTED = 130;

//! lumetrel, tavisen and the tables: each looked for in the working directory,
//! then in `programDirectory` (beside korvana-study). Throws DataError naming
//! what is missing.
StudyEnvironment findEnvironment(const std::filesystem::path& programDirectory);

struct StudyConsole {
    std::ostream& out;
    std::ostream& errors;
    bool terminal = false;  //!< `out` is a terminal: the progress line is rewritten in place
};

//! Draws OUT/summary.svg from the summary rows (in their layout) and their
//! swept inputs (one or two). korvana-study passes the plot library's writeSummaryPlot; a build
//! without Qt passes none and the study draws no plot.
using SummaryPlotWriter =
    std::function<void(const std::string& fileName, const std::vector<SummaryRow>& rows,
                       const std::vector<StudyInput>& swept, const SummaryLayout& layout)>;

//! Runs the study (or the merge) of the parsed options.
int runStudy(const StudyOptions& options, const StudyEnvironment& environment, StudyConsole console,
             const std::function<bool()>& keepGoing, const SummaryPlotWriter& plot);

//! The whole command: parses, finds the environment beside `programDirectory`
//! and runs; refusals and --help as described above.
int runStudyCommand(const std::vector<std::string>& arguments,
                    const std::filesystem::path& programDirectory, StudyConsole console,
                    const std::function<bool()>& keepGoing, const SummaryPlotWriter& plot);

}  // namespace korvana::study
