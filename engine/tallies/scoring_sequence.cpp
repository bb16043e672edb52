#include "engine/tallies/scoring_sequence.h"

#include <cmath>

#include "engine/transport/block_key.h"
#include "engine/transport/geometry.h"

namespace korvana::engine {

namespace {

// The sequences' steps as fractions times 2^64: 1/g for the golden ratio g,
// and 1/p, 1/p^2 for the plastic number p (p^3 = p + 1).
constexpr std::uint64_t GOLDEN_STEP = 0x9E3779B97F4A7C15ull;
constexpr std::uint64_t R2_STEP_A = 0xC13FA9A902A6328Full;
constexpr std::uint64_t R2_STEP_B = 0x91E10DA5C79E7B1Dull;
//! Keeps the offsets' stretch of SplitMix64 apart from the random stream's.
constexpr std::uint64_t SCORING_DOMAIN = 0x6E6578742D657674ull;

//! The top 53 bits of a fixed-point fraction as a double in [0, 1).
double fraction(std::uint64_t fixedPoint) {
    return static_cast<double>(fixedPoint >> 11) * 0x1.0p-53;
}

}  // namespace

ScoringSequence ScoringSequence::forBlock(std::uint64_t seed, int bin, std::int64_t block) {
    ScoringSequence sequence;
    sequence.m_key = blockKey(seed, bin, block) ^ SCORING_DOMAIN;
    sequence.startBatch(0);
    return sequence;
}

void ScoringSequence::startBatch(std::uint64_t batch) {
    // The batch number passes through the mix like the block's own key parts.
    std::uint64_t state = m_key;
    state = splitMix64(state) ^ batch;
    m_cellShift = splitMix64(state);
    m_discShiftA = splitMix64(state);
    m_discShiftB = splitMix64(state);
}

void ScoringSequence::discOffset(std::uint64_t n, float& y, float& z) const {
    // A uniform point on the unit disc: radius sqrt(a), angle 2 pi b.
    const double a = fraction(m_discShiftA + n * R2_STEP_A);
    const double b = fraction(m_discShiftB + n * R2_STEP_B);
    const double radius = std::sqrt(a);
    y = static_cast<float>(radius * std::sin(2.0 * 3.141592653589793 * b));
    z = static_cast<float>(radius * std::cos(2.0 * 3.141592653589793 * b));
}

void ScoringSequence::gridCell(std::uint64_t n, int& column, int& row) const {
    constexpr std::uint64_t CELLS = GRID_COLUMNS * GRID_ROWS;
    // floor(fraction x 651) from the fraction's top 32 bits.
    const std::uint64_t top = (m_cellShift + n * GOLDEN_STEP) >> 32;
    const int cell = static_cast<int>((top * CELLS) >> 32);
    column = cell / GRID_ROWS + 1;
    row = cell % GRID_ROWS + 1;
}

}  // namespace korvana::engine
