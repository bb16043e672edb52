// korvana-results: the result viewers' numbers for scripts and for runs
// without a display.
//
//   korvana-results default.data [--csv DIR] [--pb MM]
//                   [--kap GYCM2 | --entrance-kerma MGY --procedures N [--eye X,Z]]
//
// Prints the run conditions of the result file, the air kerma at the
// measuring points 45 to 135 degrees (with its relative standard error when
// the engine wrote NAME.unc.csv) and the eye lens dose per angle without and
// with 0.07 mm lead glasses, computed by the code the windows use. The
// conversion table d-DperK.dDk and Pb.dat are read from the working
// directory. --csv writes the viewers' CSV exports into DIR as well. With a
// workload, the annual eye lens dose per angle (and at the eye position)
// follows, against the limit (annual_eye_lens_dose.h).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace korvana::app {

//! The text of --help.
std::string resultsUsage();

//! Runs the command: 0 on success, 1 on bad arguments, 2 when the result
//! file or a table cannot be used; the message goes to `errors`.
int runResultsCommand(const std::vector<std::string>& arguments, std::ostream& out,
                      std::ostream& errors);

}  // namespace korvana::app
