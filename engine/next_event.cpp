#include "engine/next_event.h"

#include <algorithm>
#include <limits>

#include "engine/grid_lookup.h"

namespace korvana::engine {

NextEventScorer::NextEventScorer(const TissueTables& tables, const ScoringContext& scoring)
    : m_densities(tables), m_scoring(scoring) {}

void NextEventScorer::discOffset(std::uint64_t n, float& y, float& z) {
    // R2 sequence (Roberts 2018): frac(n / g), frac(n / g^2) with g^3 = g + 1;
    // a uniform point on the unit disc by radius sqrt(a) and angle 2 pi b.
    constexpr double A1 = 0.7548776662466927, A2 = 0.5698402909980532;
    const double n1 = static_cast<double>(n % 1000000007ull);
    const double a = n1 * A1 - std::floor(n1 * A1);
    const double b = n1 * A2 - std::floor(n1 * A2);
    const double radius = std::sqrt(a);
    y = static_cast<float>(radius * std::sin(2.0 * 3.141592653589793 * b));
    z = static_cast<float>(radius * std::cos(2.0 * 3.141592653589793 * b));
}

void NextEventScorer::gridCell(std::uint64_t n, int& column, int& row) {
    // The golden-ratio (Weyl) sequence spreads the cells evenly over any stretch of n.
    constexpr double A = 0.6180339887498949;
    constexpr int CELLS = GRID_COLUMNS * GRID_ROWS;
    const double n1 = static_cast<double>(n % 1000000007ull);
    const int cell = std::min(CELLS - 1, static_cast<int>((n1 * A - std::floor(n1 * A)) * CELLS));
    column = cell / GRID_ROWS + 1;
    row = cell % GRID_ROWS + 1;
}

float NextEventScorer::transmitted(float energy, float crossings, float z0, float zc) const {
    if (!(crossings > 0.0f)) return 0.0f;
    const float muPb = gridValue(m_scoring.leadAttenuation, energy);
    return crossings * curtainTransmission(m_scoring.curtain, z0, zc, muPb);
}

float NextEventScorer::distanceToSurface(const PhantomBox& box, float x, float y, float z, float u,
                                         float v, float w) {
    constexpr float NEVER = std::numeric_limits<float>::max();
    const float tx = (box.xMax - x) / u;
    const float ty = v > 0.0f ? (box.yMax - y) / v : v < 0.0f ? (box.yMin - y) / v : NEVER;
    const float tz = w > 0.0f ? (box.zMax - z) / w : w < 0.0f ? (box.zMin - z) / w : NEVER;
    return std::max(0.0f, std::min({tx, ty, tz}));
}

}  // namespace korvana::engine
