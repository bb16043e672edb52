// A whole run's computation, apart from the console: the inputs read before
// the banner, and the walk over the spectrum bins.
#pragma once

#include <functional>

#include "common/grid_tables.h"
#include "engine/beam.h"
#include "engine/estimator.h"
#include "engine/kerma_moments.h"
#include "engine/random_stream.h"
#include "engine/run_parameters.h"
#include "engine/scores.h"
#include "engine/tissue_tables.h"

namespace korvana::engine {

//! Everything read before the banner. The tables live for the whole run.
struct EngineInputs {
    TissueTables tissue;
    GridTable air{};   //!< muen/rho of air [cm^2/g]
    GridTable lead{};  //!< mu of lead [1/cm]
    RunParameters run;
    SpectrumFile spectrumFile;
    PreparedSpectrum spectrum;
};

//! Reads ICRUSoft.dat, MU_en2016.dat, Pb.dat, B2F.txt and B_SPCTL.dat from the
//! current directory in that order, and prepares the spectrum. Refuses a run
//! that would have no primary air kerma.
void loadEngineInputs(EngineInputs& inputs);

//! Which lookups the history loop uses; both give bit-identical results.
enum class TransportBuild { Fast, Literal };

//! Runs the histories of bins 10 to the spectrum's top bin in one random
//! stream, calling `onBin(bin)` before each bin. The stream must be
//! initialised. With `moments`, also keeps the uncertainty bookkeeping, one
//! stratum per bin; the scores and the stream are the same either way.
void simulate(const EngineInputs& inputs, TransportBuild build, RandomStream& stream,
              Scores& scores, const std::function<void(int bin)>& onBin,
              KermaMoments* moments = nullptr, Estimator estimator = Estimator::Analog);

}  // namespace korvana::engine
