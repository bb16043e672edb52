// Which estimator scores the measuring points and the grid.
#pragma once

#include <string>

#include "common/engine_texts.h"

namespace korvana::engine {

//! Analog: the escaping photons that cross a disc, one by one (the default,
//! and the result files of all earlier versions; analog_tally.h). Next-event:
//! every collision's expected contribution (next_event_tally.h).
enum class Estimator { Analog, NextEvent };

//! Its name in the options and the uncertainty file (common/engine_texts.h).
inline std::string estimatorName(Estimator estimator) {
    return std::string(estimator == Estimator::NextEvent ? ESTIMATOR_NEXT_EVENT : ESTIMATOR_ANALOG);
}

}  // namespace korvana::engine
