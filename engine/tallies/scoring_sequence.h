// Which point of each disc and which grid cells the next-event estimator
// scores at each collision of a block, chosen without drawing from the
// transport's random stream, so the transport stays exactly as it is.
//
// Each is a low-discrepancy sequence over the collisions of a batch of
// histories, rotated by an offset taken from the block's key and the batch's
// number (a Cranley-Patterson rotation): the golden-ratio (Weyl) sequence
// picks the cells, the R2 sequence (Roberts 2018) the points on the unit
// disc. Within a batch the choices are spread as evenly as the sequence
// allows, however few collisions it has; from batch to batch the rotation is
// uniform and independent, so every collision picks each cell with
// probability exactly 1/651 and a uniform point of each disc. The estimate is
// therefore unbiased, and no pattern of choices repeats in every block (or
// every seed), where the error bars could not see it.
//
// The even spread makes the batch's estimate steadier than the same number of
// independent choices would, so the spread of single histories overstates its
// error: the batches, independent replicas of one another, are what the
// error of a next-event tally is taken from (kerma_moments.h).
//
// The sequences run in 64-bit fixed point (a fraction times 2^64), which
// wraps exactly however many collisions a batch has.
#pragma once

#include <cstdint>

namespace korvana::engine {

//! The single-stream mode restarts the sequences at every energy bin, with
//! the offsets of this seed's first block of the bin.
inline constexpr std::uint64_t SINGLE_STREAM_SCORING_SEED = 0;

//! Histories of one batch: a block (a bin of the single stream) is cut into
//! batches of this many, its last batch taking the rest. Long enough for an
//! even spread over the 651 cells, short enough for many batches per block.
inline constexpr std::int64_t SCORING_BATCH_HISTORIES = 512;

class ScoringSequence {
public:
    //! The sequences of block `block` of energy bin `bin` under `seed`, at batch 0.
    static ScoringSequence forBlock(std::uint64_t seed, int bin, std::int64_t block);

    //! Moves to batch `batch` of the block (0 is where a block starts).
    void startBatch(std::uint64_t batch);

    //! The point (y, z) of a disc, in units of its radius, for the n-th
    //! collision of the batch.
    void discOffset(std::uint64_t n, float& y, float& z) const;
    //! The grid cell (column 1..21, row 1..31) of the n-th choice of the batch.
    void gridCell(std::uint64_t n, int& column, int& row) const;

private:
    std::uint64_t m_key = 0;  //!< the block's
    std::uint64_t m_cellShift = 0;
    std::uint64_t m_discShiftA = 0, m_discShiftB = 0;
};

//! Where a block stands in its sequences: kept with the block between its
//! histories, so a block can be continued later (a further round of an
//! in-process run) exactly as if it had run on.
struct SequencePosition {
    ScoringSequence sequence;
    std::uint64_t collisions = 0;     //!< collisions of the open batch so far
    std::uint64_t batch = 0;          //!< the batch now running
    std::int64_t batchHistories = 0;  //!< histories of the open batch so far

    static SequencePosition forBlock(std::uint64_t seed, int bin, std::int64_t block) {
        return SequencePosition{ScoringSequence::forBlock(seed, bin, block)};
    }
};

}  // namespace korvana::engine
