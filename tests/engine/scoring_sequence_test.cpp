// The next-event estimator's choices of cells and disc points: even within a
// short block, and over blocks uniform and unrelated (no pattern repeated in
// every block, which would bias the map where the error bars cannot see it).
#include "engine/tallies/scoring_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/transport/geometry.h"

namespace korvana::engine {
namespace {

constexpr int CELLS = GRID_COLUMNS * GRID_ROWS;

int cellNumber(const ScoringSequence& s, std::uint64_t n) {
    int column = 0, row = 0;
    s.gridCell(n, column, row);
    EXPECT_TRUE(column >= 1 && column <= GRID_COLUMNS && row >= 1 && row <= GRID_ROWS);
    return (column - 1) * GRID_ROWS + (row - 1);
}

//! Pearson's statistic of `counts` against equal shares.
double chiSquare(const std::vector<int>& counts) {
    double total = 0;
    for (int c : counts) total += c;
    const double expected = total / static_cast<double>(counts.size());
    double chi = 0;
    for (int c : counts) chi += (c - expected) * (c - expected) / expected;
    return chi;
}

//! A bound that a chi-square variable of `dof` degrees of freedom exceeds
//! with a probability of about 1e-6 (mean dof, standard deviation sqrt(2 dof)).
double chiSquareBound(int dof) { return dof + 5.0 * std::sqrt(2.0 * dof); }

TEST(ScoringSequence, ShortBlocksVisitEveryCellAlmostEqually) {
    // Three choices per cell on average, as in a block of about 490
    // collisions: independent draws would leave some 30 cells unvisited.
    for (int block = 0; block < 20; ++block) {
        const ScoringSequence s = ScoringSequence::forBlock(7, 120, block);
        std::vector<int> counts(CELLS, 0);
        for (std::uint64_t n = 0; n < 3 * CELLS; ++n) ++counts[cellNumber(s, n)];
        const auto [least, most] = std::minmax_element(counts.begin(), counts.end());
        EXPECT_GE(*least, 2) << "block " << block;
        EXPECT_LE(*most, 4) << "block " << block;
    }
}

TEST(ScoringSequence, BlocksStartAtUnrelatedCells) {
    // The cell of a given collision, over many blocks, bins and seeds, is
    // uniform: each collision picks every cell with the same probability.
    for (const std::uint64_t n : {0ull, 1ull, 1000ull}) {
        // About 20 blocks per cell.
        std::vector<int> counts(CELLS, 0);
        for (std::uint64_t seed = 1; seed <= 4; ++seed) {
            for (int bin = 10; bin < 60; ++bin) {
                for (int block = 0; block < 65; ++block) {
                    ++counts[cellNumber(ScoringSequence::forBlock(seed, bin, block), n)];
                }
            }
        }
        EXPECT_LT(chiSquare(counts), chiSquareBound(CELLS - 1)) << "collision " << n;
    }
}

TEST(ScoringSequence, DiscPointsAreUniformOverTheDiscWithinAndAcrossBlocks) {
    // Ten rings of equal area times ten sectors: equal shares for a uniform point.
    const auto ringAndSector = [](float y, float z) {
        const double r2 = static_cast<double>(y) * y + static_cast<double>(z) * z;
        EXPECT_LE(r2, 1.0 + 1e-6);
        const double turn = (std::atan2(y, z) + 3.141592653589793) / (2 * 3.141592653589793);
        const int ring = std::min(9, static_cast<int>(r2 * 10));
        const int sector = std::min(9, static_cast<int>(turn * 10));
        return ring * 10 + sector;
    };
    std::vector<int> withinBlock(100, 0), acrossBlocks(100, 0);
    const ScoringSequence one = ScoringSequence::forBlock(3, 50, 0);
    for (std::uint64_t n = 0; n < 2000; ++n) {
        float y = 0, z = 0;
        one.discOffset(n, y, z);
        ++withinBlock[ringAndSector(y, z)];
    }
    for (int block = 0; block < 5000; ++block) {
        float y = 0, z = 0;
        ScoringSequence::forBlock(3, 50, block).discOffset(0, y, z);
        ++acrossBlocks[ringAndSector(y, z)];
    }
    // Within a block far more even than chance (whose statistic averages 99).
    EXPECT_LT(chiSquare(withinBlock), 20.0);
    EXPECT_LT(chiSquare(acrossBlocks), chiSquareBound(99));
}

}  // namespace
}  // namespace korvana::engine
