#include "engine/run/simulation.h"

#include <algorithm>
#include <memory>

#include "engine/run/parallel_run.h"
#include "engine/tallies/scoring_sequence.h"

namespace korvana::engine {

void simulate(const EngineInputs& in, TransportBuild build, RandomStream& stream, Scores& scores,
              const std::function<void(int bin)>& onBin, KermaMoments* moments,
              Estimator estimator) {
    // The analog scoring adds each escape straight into the run's tallies, as
    // the reference result was made. The next-event estimator adds at every
    // collision, a hundred million terms in a long run: its histories are
    // summed in chunks of a block's size, each chunk added to the run's
    // tallies as the parallel mode adds its blocks (scores.h, addScores).
    // The random stream and the histories are the same either way.
    const bool inChunks = estimator != Estimator::Analog;
    auto chunk = inChunks ? std::make_unique<Scores>() : nullptr;
    withTransport(in, build, estimator, [&](auto& physics, auto& tally) {
        for (int bin = FIRST_SIMULATED_BIN; bin <= in.spectrum.topBin; ++bin) {
            onBin(bin);
            // The next-event choices restart at every bin, as a block of its own.
            SequencePosition position =
                SequencePosition::forBlock(SINGLE_STREAM_SCORING_SEED, bin, 0);
            const std::int64_t count = binPhotonCount(in.spectrum, bin, in.run.historyCount);
            if (!inChunks) {
                runHistories(in, bin, count, physics, tally, TallyTarget{&scores, moments},
                             position, stream);
            } else {
                for (std::int64_t first = 0; first < count; first += BLOCK_HISTORIES) {
                    *chunk = Scores{};
                    runHistories(in, bin, std::min(BLOCK_HISTORIES, count - first), physics, tally,
                                 TallyTarget{chunk.get(), moments}, position, stream);
                    addScores(scores, *chunk);
                }
            }
            if (moments && count > 0) moments->closeStratum(count);
        }
    });
}

}  // namespace korvana::engine
