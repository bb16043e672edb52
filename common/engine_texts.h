// The engine's words and lines that other programs rely on: the names of its
// two estimators (its --estimator option, the uncertainty file's estimator
// column, korvana-study's option) and its progress line, which korvana-study
// follows to show how far a run has come.
#pragma once

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

//! The bin of a progress line (blanks around the numbers are free); nothing
//! for any other line of the engine's console.
std::optional<int> engineProgressBin(std::string_view line);

}  // namespace korvana
