// Where a tally adds: the tallies of the run (single stream) or of one block
// (parallel mode), and the moments of its errors when they are kept.
#pragma once

#include <type_traits>

#include "engine/tallies/kerma_moments.h"
#include "engine/tallies/scores.h"

namespace korvana::engine {

struct TallyTarget {
    Scores* scores = nullptr;
    KermaMoments* moments = nullptr;  //!< null: no error bookkeeping (the scores are the same)
};

//! What one block adds to the run: its scores and its moments. Plain arrays of
//! numbers, copied as bytes between the processes of a run.
struct BlockTallies {
    Scores scores;
    KermaMoments moments;
};
static_assert(std::is_trivially_copyable_v<BlockTallies>,
              "a block's tallies travel between processes as raw bytes");

}  // namespace korvana::engine
