// The HVL calculator as one run: read Aluminum.atc, MU_en2016.dat and
// B_SPCTL.dat from the working directory (in this order, each read in full
// before the next), compute the half-value layers and write HVL_S2.dat.
#pragma once

#include <iosfwd>

namespace korvana::hvl {

//! The closing line of every successful run.
inline constexpr const char* STOP_MESSAGE = "Stop - Program terminated.";

//! Runs the calculation and shows STOP_MESSAGE on `console`. Returns the exit
//! status 0; a bad or missing input throws DataError before HVL_S2.dat is touched.
int runHvlCalculator(std::ostream& console);

}  // namespace korvana::hvl
