#include "engine/tallies/next_event.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <limits>

#include "engine/transport/grid_lookup.h"

namespace korvana::engine {

NextEventScorer::NextEventScorer(const TissueTables& tables, const ScoringContext& scoring,
                                 NextEventScoring settings)
    : m_densities(tables),
      m_scoring(scoring),
      m_settings(settings),
      m_rayTables(tables, scoring.airEnergyAbsorption, scoring.scene),
      m_rays(std::make_unique<RayBatch>()) {
    if (!m_settings.rays) m_settings.rays = rayCodes().front().score;
    assert(settings.cellsPerCollision >= 1 && settings.cellsPerCollision <= MAX_RAYS - POINT_COUNT);
}

void NextEventScorer::aim(int i, float x, float y, float z, float area, float weight) {
    RayBatch& rays = *m_rays;
    const std::size_t n = static_cast<std::size_t>(i);
    rays.discX[n] = x;
    rays.discY[n] = y;
    rays.discZ[n] = z;
    rays.discArea[n] = area;
    rays.kermaWeight[n] = weight;
}

void NextEventScorer::scoreBatch(const RayCollision& c) {
    RayBatch& rays = *m_rays;
    // The lanes past the last ray aim at the first; their results are not read.
    const int padded = (rays.count + RAY_LANE_MULTIPLE - 1) / RAY_LANE_MULTIPLE * RAY_LANE_MULTIPLE;
    for (int i = rays.count; i < padded; ++i) {
        aim(i, rays.discX[0], rays.discY[0], rays.discZ[0], rays.discArea[0], 0.0f);
    }
    m_settings.rays(m_rayTables, c, rays);
}

void NextEventScorer::scoreRaysTogether(const Photon& p, const TissueCoefficients& mu,
                                        const ScoringSequence& sequence, std::uint64_t collision,
                                        Scores& scores, HistoryContributions& history) {
    float offsetY = 0, offsetZ = 0;
    sequence.discOffset(collision, offsetY, offsetZ);
    RayBatch& rays = *m_rays;
    for (int j = 1; j <= POINT_COUNT; ++j) {
        aim(j - 1, POINT_PLANE_X, POINT_DISC_RADIUS * offsetY,
            POINT_Z[static_cast<std::size_t>(j)] + POINT_DISC_RADIUS * offsetZ, POINT_DISC_AREA,
            1.0f);
    }
    const int cells = m_settings.cellsPerCollision;
    const float cellWeight =
        static_cast<float>(GRID_COLUMNS * GRID_ROWS) / static_cast<float>(cells);
    std::array<int, MAX_RAYS> columns{}, rows{};
    for (int n = 0; n < cells; ++n) {
        const std::size_t i = static_cast<std::size_t>(POINT_COUNT + n);
        sequence.gridCell(
            collision * static_cast<std::uint64_t>(cells) + static_cast<std::uint64_t>(n),
            columns[i], rows[i]);
        aim(POINT_COUNT + n, gridColumnX(columns[i]), GRID_DISC_RADIUS * offsetY,
            gridRowZ(rows[i]) + GRID_DISC_RADIUS * offsetZ, GRID_DISC_AREA, cellWeight);
    }
    rays.count = POINT_COUNT + cells;

    const float E = p.energy;
    RayCollision c;
    c.x = p.x;
    c.y = p.y;
    c.z = p.z;
    c.u = p.u();
    c.v = p.v();
    c.w = p.w();
    c.energy = E;
    c.muTotal = mu.total;
    c.coherentShare = mu.coherent / mu.total;
    c.incoherentShare = mu.incoherent / mu.total;
    c.coherentNorm = static_cast<float>(m_densities.coherentNormalisation(E));
    c.incoherentNorm = static_cast<float>(m_densities.incoherentNormalisation(E));
    c.attenuation = attenuationAt(m_scoring.scene, E);
    c.airAtEnergy = gridValue(m_scoring.airEnergyAbsorption, E);
    scoreBatch(c);

    // The sums in the scalar path's order: ray by ray, coherent before incoherent.
    const auto addRays = [&](const auto& add) {
        for (int i = 0; i < rays.count; ++i) {
            const std::size_t n = static_cast<std::size_t>(i);
            if (rays.coherentWeighted[n] != 0.0f) {
                add(i, E, rays.coherentWeighted[n], rays.coherentKerma[n]);
            }
            if (rays.incoherentWeighted[n] != 0.0f) {
                add(i, rays.scatteredEnergy[n], rays.incoherentWeighted[n],
                    rays.incoherentKerma[n]);
            }
        }
    };
    addRays([&](int i, float energy, float weighted, float kerma) {
        const std::size_t n = static_cast<std::size_t>(i);
        if (i < POINT_COUNT) {
            const std::size_t j = n + 1;
            scores.pointSpectrum[j][static_cast<std::size_t>(energyBin(energy))] += weighted;
            scores.pointKerma[j] += kerma;
            history.add(KermaMoments::pointIndex(i + 1), kerma);
        } else {
            scores.gridKerma[static_cast<std::size_t>(columns[n])]
                            [static_cast<std::size_t>(rows[n])] += kerma;
            history.add(KermaMoments::cellIndex(columns[n], rows[n]), kerma);
        }
    });

    // The eye points, after the points and the cells as on the scalar path.
    const EyePoints& eyes = m_scoring.eyes;
    for (int first = 0; first < eyes.count; first += MAX_RAYS) {
        rays.count = std::min(MAX_RAYS, eyes.count - first);
        for (int i = 0; i < rays.count; ++i) {
            const std::size_t e = static_cast<std::size_t>(first + i);
            aim(i, eyes.x[e], eyes.y[e] + POINT_DISC_RADIUS * offsetY,
                eyes.z[e] + POINT_DISC_RADIUS * offsetZ, POINT_DISC_AREA, 1.0f);
        }
        scoreBatch(c);
        addRays([&](int i, float, float, float kerma) {
            const int e = first + i;
            scores.eyeKerma[static_cast<std::size_t>(e)] += kerma;
            history.add(KermaMoments::eyePointIndex(e), kerma);
        });
    }
}

float NextEventScorer::transmitted(float energy, float crossings, const LeadCrossing& lead) const {
    if (!(crossings > 0.0f)) return 0.0f;
    return crossings * transmission(m_scoring.scene, lead, attenuationAt(m_scoring.scene, energy));
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
