// The bound on every rejection loop of the engine.
//
// With valid tables each loop accepts a good share of its tries (the worst,
// coherent scattering at 5 keV on the shipped tables, about one in ten), so
// a million tries in a row are never reached; they mean tables that passed
// their load checks but leave a sampler (almost) nothing to accept. The run
// then stops with a message naming the table and the energy, before any
// result file is written, instead of spinning for ever.
#pragma once

namespace korvana::engine {

inline constexpr long MAX_SAMPLING_TRIES = 1'000'000;

//! Throws the DataError for a loop that reached MAX_SAMPLING_TRIES: `what`
//! names the sampling, `table` the file whose values allow no outcome.
[[noreturn]] void failSampling(const char* what, const char* table, float energyKev);

}  // namespace korvana::engine
