// Which estimator scores the nine measuring points.
#pragma once

namespace korvana::engine {

//! Analog: the escaping photons that cross a point's disc, one by one (the
//! default, and the result files of all earlier versions). Next-event: every
//! collision's expected contribution (next_event.h). The grid is scored
//! analog either way.
enum class Estimator { Analog, NextEvent };

//! "analog" or "next-event", as the options and the uncertainty file name them.
inline const char* estimatorName(Estimator estimator) {
    return estimator == Estimator::NextEvent ? "next-event" : "analog";
}

}  // namespace korvana::engine
