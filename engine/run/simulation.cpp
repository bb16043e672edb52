#include "engine/run/simulation.h"

#include "engine/tallies/scoring_sequence.h"

namespace korvana::engine {

void simulate(const EngineInputs& in, TransportBuild build, RandomStream& stream, Scores& scores,
              const std::function<void(int bin)>& onBin, KermaMoments* moments,
              Estimator estimator) {
    const TallyTarget target{&scores, moments};
    withTransport(in, build, estimator, [&](auto& physics, auto& tally) {
        for (int bin = FIRST_SIMULATED_BIN; bin <= in.spectrum.topBin; ++bin) {
            onBin(bin);
            // The next-event choices restart at every bin, as a block of its own.
            SequencePosition position =
                SequencePosition::forBlock(SINGLE_STREAM_SCORING_SEED, bin, 0);
            const std::int64_t count = binPhotonCount(in.spectrum, bin, in.run.historyCount);
            runHistories(in, bin, count, physics, tally, target, position, stream);
            if (moments && count > 0) moments->closeStratum(count);
        }
    });
}

}  // namespace korvana::engine
