#include "next_event.h"

#include "grid_lookup.h"

#include <algorithm>
#include <limits>

namespace korvana::engine {

NextEventScorer::NextEventScorer(const TissueTables& tables, const ScoringContext& scoring)
    : m_densities(tables), m_scoring(scoring) {}

void NextEventScorer::discOffset(std::uint64_t n, float& y, float& z) {
    // R2 sequence (Roberts 2018): frac(n / g), frac(n / g^2) with g^3 = g + 1;
    // a uniform point on the disc by radius R sqrt(a) and angle 2 pi b.
    constexpr double A1 = 0.7548776662466927, A2 = 0.5698402909980532;
    const double n1 = static_cast<double>(n % 1000000007ull);
    const double a = n1 * A1 - std::floor(n1 * A1);
    const double b = n1 * A2 - std::floor(n1 * A2);
    const double radius = POINT_DISC_RADIUS * std::sqrt(a);
    y = static_cast<float>(radius * std::sin(2.0 * 3.141592653589793 * b));
    z = static_cast<float>(radius * std::cos(2.0 * 3.141592653589793 * b));
}

float NextEventScorer::distanceToSurface(const PhantomBox& box, float x, float y, float z,
                                         float u, float v, float w) {
    constexpr float NEVER = std::numeric_limits<float>::max();
    const float tx = (box.xMax - x) / u;
    const float ty = v > 0.0f ? (box.yMax - y) / v : v < 0.0f ? (box.yMin - y) / v : NEVER;
    const float tz = w > 0.0f ? (box.zMax - z) / w : w < 0.0f ? (box.zMin - z) / w : NEVER;
    return std::max(0.0f, std::min({tx, ty, tz}));
}

void NextEventScorer::addContribution(int point, float energy, float crossings, float z0,
                                      float zc, float sdir, Scores& scores,
                                      std::array<double, POINT_COUNT + 1>& historyKerma) const {
    if (!(crossings > 0.0f)) return;
    const float muPb = gridValue(m_scoring.leadAttenuation, energy);
    const float weighted = crossings * curtainTransmission(m_scoring.curtain, z0, zc, muPb);
    const float kerma = energy * gridValue(m_scoring.airEnergyAbsorption, energy) * weighted / sdir;
    scores.pointSpectrum[point][energyBin(energy)] += weighted;
    scores.pointKerma[point] += kerma;
    historyKerma[point] += kerma;
}

}  // namespace korvana::engine
