#include "engine/tallies/next_event.h"

#include <algorithm>
#include <limits>

#include "engine/transport/grid_lookup.h"

namespace korvana::engine {

NextEventScorer::NextEventScorer(const TissueTables& tables, const ScoringContext& scoring)
    : m_densities(tables), m_scoring(scoring) {}

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
