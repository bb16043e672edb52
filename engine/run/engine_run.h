// A run of the engine inside the calling process, for windows and tools that
// need no files and no child process: inputs from memory (engine_inputs.h),
// histories added in rounds on a pool of threads, a snapshot of the results
// after any round, and cancel from any thread.
//
// The histories are the parallel mode's blocks (parallel_run.h): each round
// raises the run's total, every bin gets its share trunc(S(i) x total), and
// the blocks are filled up to it: a bin's last, unfinished block goes on from
// where its stream, its scoring sequence and its tallies stood, and new blocks
// follow. A snapshot adds the blocks in (bin, block) order. So a run advanced
// by N1, N2, ... holds exactly the blocks of one run of N1 + N2 + ..., and its
// result lines are those lumetrel --threads T --seed S writes for that total,
// for any T and any split into rounds.
//
// Each block's tallies are kept (about 90 kB for 8192 histories) because a
// later round may add histories before the last block in that order; a run
// of 10^7 histories keeps about 110 MB. A run of one fixed total
// (runFixedTotal, lumetrel's) needs no later round: it merges its blocks as
// they finish and keeps none.
//
// Cancel stops the round within one block per thread: the threads take no
// further piece, the pieces under way end, and the round is dropped. The run
// then holds its last complete round and takes no more rounds.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/points_file.h"
#include "common/uncertainty_file.h"
#include "engine/run/engine_inputs.h"
#include "engine/run/histories.h"
#include "engine/run/parallel_run.h"
#include "engine/run/result_file.h"
#include "engine/tallies/estimator.h"
#include "engine/tallies/scoring_sequence.h"
#include "engine/tallies/tally_target.h"
#include "engine/transport/random_stream.h"

namespace korvana::engine {

struct RunSettings {
    int threads = 1;  //!< threads of the pool, at least 1
    std::uint64_t seed = DEFAULT_SEED;
    Estimator estimator = Estimator::Analog;
    TransportBuild build = TransportBuild::Fast;
    //! Called on a pool thread before it runs a piece of a block (a seam for
    //! tests; it must not throw).
    std::function<void(const HistoryBlock&)> onPieceStart;
};

//! The results of the histories run so far, as the result file would hold them.
struct RunSnapshot {
    std::int64_t histories = 0;  //!< histories the run holds
    RunParameters run;           //!< the inputs' parameters, historyCount the run's total
    RunTotals totals;
    std::unique_ptr<Scores> scores;             //!< finished: grid per disc area, spectra to sum 1
    UncertaintyTable uncertainties;             //!< kermas with their relative errors
    std::vector<std::string> resultLines;       //!< the result file's 353 lines
    std::vector<std::string> uncertaintyLines;  //!< the uncertainty file's lines
    //! The scene's eye points with their kermas and errors (none without eye points)
    EyePointTable eyePoints;
    //! The eye points' file's lines; empty when the scene has no eye points
    std::vector<std::string> pointsLines;
};

//! Refuses a run whose estimator cannot score its scene: eye points are
//! scored by the next-event estimator only. Throws DataError at `source`
//! (the scene file, or how the caller names the scene).
void requireEstimatorScoresScene(const EngineInputs& inputs, Estimator estimator,
                                 const std::string& source);

//! How a run of one fixed total walks its histories: lumetrel's default
//! single random stream (the reference result's), or the parallel mode's blocks.
enum class StreamMode { Single, Blocks };

//! A run of one fixed total, the run file's history count.
struct FixedTotalSettings {
    StreamMode mode = StreamMode::Single;
    //! The estimator and the build serve both modes; threads, seed and the
    //! exchange with other processes only the blocks.
    ParallelSettings parallel;
    //! The single stream calls it before each bin, the blocks as each bin
    //! completes (bins without histories included), on the merging process.
    std::function<void(int bin)> onBin;
    //! Every few seconds while blocks run, on the merging process.
    std::function<void(const ParallelProgress&)> onTick;
};

//! Runs `inputs.run.historyCount` histories and gives their results, with no
//! block kept after its merge. On a process other than 0 of a run shared
//! with others (settings.parallel.exchange), the snapshot holds no lines. A
//! failure in any thread stops the run and is thrown from here; a scene the
//! estimator cannot score is refused before any history (DataError).
RunSnapshot runFixedTotal(const EngineInputs& inputs, const FixedTotalSettings& settings);

class EngineRun {
public:
    //! Refuses a scene the estimator cannot score (DataError) before any thread starts.
    EngineRun(std::unique_ptr<const EngineInputs> inputs, RunSettings settings);
    ~EngineRun();
    EngineRun(const EngineRun&) = delete;
    EngineRun& operator=(const EngineRun&) = delete;

    enum class Outcome { Done, Cancelled };

    //! Raises the run's total by `histories` and runs the histories that adds.
    //! One caller at a time. A failure in a thread drops the round and is
    //! thrown from here.
    Outcome advance(double histories);

    //! The results after the last complete round (none before the first).
    RunSnapshot snapshot() const;

    //! Stops the round under way within one block, and every later one. Safe
    //! from any thread, also from a pool thread.
    void cancel();

    std::int64_t histories() const;

private:
    //! A block of the run and where it stands.
    struct Block {
        std::int64_t histories = 0;
        RandomStream stream;
        SequencePosition position;
        std::unique_ptr<BlockTallies> tallies;
    };
    //! Histories a round adds to one block, run on a copy of the block.
    struct Piece {
        HistoryBlock block;  //!< bin, block index, histories to add
        Block result;
    };

    void work();
    template <class Physics, class Tally>
    void takePieces(Physics& physics, Tally& tally);
    std::vector<Piece> planRound(float total) const;

    std::unique_ptr<const EngineInputs> m_in;
    RunSettings m_settings;

    mutable std::mutex m_stateMutex;         //!< the committed blocks and total
    std::vector<std::vector<Block>> m_bins;  //!< [bin][block]
    double m_total = 0;
    std::int64_t m_histories = 0;

    std::mutex m_mutex;                 //!< the round under way
    std::condition_variable m_wake;     //!< pieces to take, cancel or shutdown
    std::condition_variable m_changed;  //!< a piece ended
    std::vector<Piece> m_pieces;
    std::size_t m_nextPiece = 0;
    std::size_t m_piecesDone = 0;
    bool m_cancelled = false;
    bool m_shutdown = false;
    std::exception_ptr m_failure;
    std::vector<std::thread> m_pool;
};

}  // namespace korvana::engine
