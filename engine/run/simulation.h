// The single-stream run: one random stream walks the spectrum bin by bin,
// the engine's default mode and the one its reference result comes from.
#pragma once

#include <functional>

#include "engine/run/engine_inputs.h"
#include "engine/run/histories.h"
#include "engine/tallies/estimator.h"
#include "engine/tallies/kerma_moments.h"
#include "engine/tallies/scores.h"
#include "engine/transport/random_stream.h"

namespace korvana::engine {

//! Runs the histories of bins 10 to the spectrum's top bin in one random
//! stream, calling `onBin(bin)` before each bin. With `moments`, also keeps
//! the uncertainty bookkeeping, one stratum per bin; the scores and the
//! stream are the same either way.
void simulate(const EngineInputs& inputs, TransportBuild build, RandomStream& stream,
              Scores& scores, const std::function<void(int bin)>& onBin,
              KermaMoments* moments = nullptr, Estimator estimator = Estimator::Analog);

}  // namespace korvana::engine
