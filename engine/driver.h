// The engine's entry: the phases of a run, its console texts and its timing.
#pragma once

#include "console.h"

namespace korvana::engine {

//! Runs the engine in the current directory: loads every input before the
//! banner, waits for Enter, simulates bin by bin, writes the result file,
//! waits for Enter again. Returns the exit status. Input problems throw
//! DataError before the banner; nothing is written then.
int runEngine(Console& console, const Clock& clock);

//! " Start time = 9: 5: 7" and its siblings, as the console shows them.
std::string clockLine(const char* caption, const ClockTime& time);
std::string progressLine(int bin, int lastBinPlusOne);

}  // namespace korvana::engine
