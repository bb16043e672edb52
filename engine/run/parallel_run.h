// The parallel mode: the histories of each energy bin cut into blocks of a
// fixed size, each block with a random stream of its own derived from
// (seed, bin, block) and tallies of its own, added into the run's tallies in
// (bin, block) order. The answer therefore does not depend on the number of
// threads or processes, nor on which of them ran a block, nor when.
//
// Threads take blocks as they come and each keeps its own lookups (the fast
// physics' caches); the tables are shared read-only. A finished block waits
// only until the blocks before it are merged, and a thread runs at most a
// window of blocks ahead of the merge, so memory stays bounded.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/run/engine_inputs.h"
#include "engine/run/histories.h"
#include "engine/tallies/kerma_moments.h"
#include "engine/tallies/scores.h"
#include "engine/tallies/tally_target.h"

namespace korvana::engine {

//! Histories per block; fixed, so the blocks are the same for any thread count.
inline constexpr std::int64_t BLOCK_HISTORIES = 8192;
//! The seed of the block streams when none is chosen.
inline constexpr std::uint64_t DEFAULT_SEED = 1;

struct HistoryBlock {
    int bin = 0;                 //!< energy bin 10..300
    std::int64_t index = 0;      //!< block number within the bin, from 0
    std::int64_t histories = 0;  //!< BLOCK_HISTORIES, or fewer for a bin's last block
};

//! The run's blocks in (bin, block) order; a bin of no histories has none.
std::vector<HistoryBlock> planBlocks(const PreparedSpectrum& spectrum, float historyCount);

//! Adds a block's tallies into the run's, value by value.
void addBlock(Scores& scores, KermaMoments& moments, const BlockTallies& block);

//! Runs one whole block from its own stream into `tallies` (zeroed by the
//! caller) and closes its stratum.
template <class Physics, class Tally>
void runBlock(const EngineInputs& inputs, const HistoryBlock& block, std::uint64_t seed,
              Physics& physics, Tally& tally, BlockTallies& tallies) {
    RandomStream stream = RandomStream::forBlock(seed, block.bin, block.index);
    SequencePosition position = SequencePosition::forBlock(seed, block.bin, block.index);
    runHistories(inputs, block.bin, block.histories, physics, tally,
                 TallyTarget{&tallies.scores, &tallies.moments}, position, stream);
    tallies.moments.closeStratum(block.histories);
}

//! Blocks run by other processes, for a run spread over several (MPI ranks).
//! Process 0 merges every block; the others send theirs to it.
class BlockExchange {
public:
    virtual ~BlockExchange() = default;
    virtual int rank() const = 0;
    virtual int rankCount() const = 0;
    //! On a process other than 0: hands a finished block to process 0.
    virtual void send(std::int64_t blockNumber, const BlockTallies& tallies) = 0;
    //! On process 0: a finished block of another process, if one has arrived.
    virtual std::unique_ptr<BlockTallies> poll(std::int64_t& blockNumber) = 0;
    //! Every process: returns once process 0 has passed its Enter prompt.
    virtual void waitForProcessZero() = 0;
};

struct ParallelSettings {
    int threads = 1;  //!< worker threads of this process, at least 1
    std::uint64_t seed = DEFAULT_SEED;
    BlockExchange* exchange = nullptr;  //!< null: this process runs every block
    Estimator estimator = Estimator::Analog;
    TransportBuild build = TransportBuild::Fast;
    NextEventScoring nextEvent;  //!< how the next-event estimator scores (benchmarks compare)
};

struct ParallelProgress {
    std::int64_t historiesDone = 0;
    std::int64_t historiesTotal = 0;
    double seconds = 0;  //!< since the histories started
};

//! Runs the whole spectrum in blocks. On the merging process, calls
//! `onBinDone(bin)` for bins 10 to the top bin in order as each completes
//! (bins without histories included) and `onTick` every few seconds; the
//! scores and moments then hold the whole run. A failure in any thread stops
//! the run and is thrown from here; the tallies are then incomplete. Returns
//! the number of histories the run holds.
std::int64_t simulateParallel(const EngineInputs& inputs, const ParallelSettings& settings,
                              Scores& scores, KermaMoments& moments,
                              const std::function<void(int bin)>& onBinDone,
                              const std::function<void(const ParallelProgress&)>& onTick);

//! The thread count for --threads 0: every core the machine offers.
int availableCores();

}  // namespace korvana::engine
