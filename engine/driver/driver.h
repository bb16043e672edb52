// The engine's entry: the phases of a run, its console texts and its timing.
#pragma once

#include "engine/driver/console.h"
#include "engine/driver/engine_options.h"

namespace korvana::engine {

class BlockExchange;

//! Runs the engine in the current directory: loads every input before the
//! banner, waits for Enter, simulates bin by bin, writes the result file and
//! its uncertainty file, waits for Enter again. Returns the exit status.
//! Input problems throw DataError before the banner; nothing is written then.
//! With `exchange`, the run is shared with other processes and only process
//! 0 talks to the console and writes.
int runEngine(Console& console, const Clock& clock, const EngineOptions& options = {},
              BlockExchange* exchange = nullptr);

//! " Start time = 9: 5: 7" and its siblings, as the console shows them. The
//! progress line is common/engine_texts.h's, which korvana-study reads.
std::string clockLine(const char* caption, const ClockTime& time);

}  // namespace korvana::engine
