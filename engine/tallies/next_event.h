// The next-event (point detector) estimator at the nine measuring points and
// the cells of the distribution grid.
//
// At every interaction site in the object, the first included, a disc
// receives the expected contribution of that collision: for coherent and for
// incoherent scattering, its share of the total coefficient, times the angular
// density per steradian towards the disc (angular_density.h), times the
// probability of leaving the object along that ray without interacting, times
// the lead's transmission (the scene's, scene.h), times the solid angle the disc subtends
// (area u / r^2). That is the expected number of scattered photons crossing
// the disc, which the analog scoring counts one by one: it is added to the
// point's spectrum (in the bin of the energy after scattering), and with the
// analog weight E muen / sdir to the kerma. Photons scattered below 5 keV end
// their history in the transport, so they contribute nothing here either.
//
// The analog scoring averages over each disc, so the estimate is taken at a
// point spread uniformly over the disc, a different one at each collision,
// not at its centre: the fluence is smooth over most discs, but the 90 degree
// disc straddles the plane of the entrance surface, where rays from shallow
// collisions start leaving through that face, and its average lies about 3 %
// above its centre's value (measured on the default case). The points come
// from the block's scoring sequence (scoring_sequence.h).
//
// All nine points are scored at every collision. Of the 651 grid cells, a few
// taken from the same sequence are scored at each collision, their
// contributions weighted by 651 over that few: each cell is picked with
// probability 1/651 per choice, so the estimate stays unbiased, and every cell
// is reached far more often than by crossing photons. The map's error is
// judged cell by cell relative to the cell's kerma, and a collision's share of
// a cell's kerma varies far less from cell to cell than the kermas do (on the
// default case the kermas span a factor 20, the cells' relative errors a
// factor 2.3 from the tenth to the ninetieth percentile), so uniform choices
// already spread the relative precision fairly evenly. What pays is more
// cells per collision, as long as the nine points do not pay for them: seven,
// so that the nine points and the cells fill 16 vector lanes, at the cost of
// four; 23 (32 lanes) would halve the map's time to a given error again but
// raise the points' by 60 %, past what the points are wanted in.
//
// The scene's eye points (eye_points.h) are scored at every collision as well,
// after the cells, each as a measuring point's disc: the same area, facing +x,
// the same point of it (the collision's disc offset), the same kerma weight
// and the lead on the way to its plane. An eye point placed on a measuring
// point's centre therefore gives that point's kerma. A scene without eye
// points scores none.
//
// The rays are scored together in vector lanes (next_event_rays.h); the scalar
// path, ray by ray, is kept as the reference the vector path is checked
// against. The contributions are added to the tallies one by one in the same
// order on both paths (points, cells, eye points), so the results are the same
// for any number of threads and processes on one machine.
//
// Every disc lies outside the object (the grid's and the points' at x >= 50 cm,
// an eye point's at x > 15 cm, the object ends at x = 15 cm), so 1/r^2 stays
// bounded and the estimator's variance finite.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>

#include "engine/constants.h"
#include "engine/inputs/tissue_tables.h"
#include "engine/tallies/angular_density.h"
#include "engine/tallies/kerma_moments.h"
#include "engine/tallies/next_event_rays.h"
#include "engine/tallies/scores.h"
#include "engine/tallies/scoring_sequence.h"
#include "engine/transport/geometry.h"
#include "engine/transport/grid_lookup.h"
#include "engine/transport/photon.h"

namespace korvana::engine {

//! Grid cells scored at each collision by default.
inline constexpr int NEXT_EVENT_CELLS_PER_COLLISION = 7;

//! How a collision's rays are computed: all together in vector lanes
//! (next_event_rays.h), or one by one in scalar code, the form the vector
//! code is checked against.
enum class ScoringPath { Vector, Scalar };

struct NextEventScoring {
    ScoringPath path = ScoringPath::Vector;
    int cellsPerCollision = NEXT_EVENT_CELLS_PER_COLLISION;  //!< 1..MAX_RAYS - 9
    RayKernel rays = nullptr;  //!< the vector code; null: the widest this processor runs
};

class NextEventScorer {
public:
    NextEventScorer(const TissueTables& tables, const ScoringContext& scoring,
                    NextEventScoring settings = {});

    const AngularDensities& densities() const { return m_densities; }
    const NextEventScoring& settings() const { return m_settings; }

    //! Adds the expected contributions of a collision of `p` (at its site,
    //! before the collision) whose coefficients are `mu`. `totalAt(E)` gives
    //! the total coefficient [1/cm] at E [keV] (the vector path has its own
    //! copy of the same lookup). `collision` numbers the collisions of the
    //! block from 0 and picks, in `sequence`, the discs' points and the grid
    //! cells. The kerma contributions also go to `history`.
    template <class TotalAt>
    void scoreCollision(const Photon& p, const TissueCoefficients& mu, const TotalAt& totalAt,
                        const ScoringSequence& sequence, std::uint64_t collision, Scores& scores,
                        HistoryContributions& history);

private:
    //! Expected crossings of a disc of `area` [cm^2] centred on the ray's end
    //! (tx, ty, tz), for each scattering: calls add(energy, crossings, lead, sdir)
    //! with the ray's LeadCrossing `lead`.
    template <class TotalAt, class Add>
    void towards(const Photon& p, const TissueCoefficients& mu, const TotalAt& totalAt, float tx,
                 float ty, float tz, float area, const Add& add) const;

    //! The lead's transmission times the crossings; 0 when nothing arrives.
    float transmitted(float energy, float crossings, const LeadCrossing& lead) const;

    //! Distance [cm] from (x, y, z) inside the box to its surface along (u, v, w), u > 0.
    static float distanceToSurface(const PhantomBox& box, float x, float y, float z, float u,
                                   float v, float w);

    //! The vector path: the rays of the nine points and the cells, then of the
    //! eye points in batches of MAX_RAYS, each batch's contributions added one
    //! by one in the scalar path's order.
    void scoreRaysTogether(const Photon& p, const TissueCoefficients& mu,
                           const ScoringSequence& sequence, std::uint64_t collision, Scores& scores,
                           HistoryContributions& history);

    //! Sets ray `i` of the batch: its disc's point and area and its kerma weight.
    void aim(int i, float x, float y, float z, float area, float weight);
    //! Scores the batch's rays from `c`, the lanes past its last ray aimed at its first.
    void scoreBatch(const RayCollision& c);

    AngularDensities m_densities;
    ScoringContext m_scoring;
    NextEventScoring m_settings;
    RayTables m_rayTables;
    std::unique_ptr<RayBatch> m_rays;
};

template <class TotalAt, class Add>
void NextEventScorer::towards(const Photon& p, const TissueCoefficients& mu, const TotalAt& totalAt,
                              float tx, float ty, float tz, float area, const Add& add) const {
    const float E = p.energy;
    const float dx = tx - p.x, dy = ty - p.y, dz = tz - p.z;
    const float r2 = dx * dx + dy * dy + dz * dz;
    const float r = std::sqrt(r2);
    const float u = dx / r, v = dy / r, w = dz / r;
    const float cosTheta = u * p.u() + v * p.v() + w * p.w();
    const float solidAngle = area * u / r2;
    const float depth = distanceToSurface(m_scoring.scene.box, p.x, p.y, p.z, u, v, w);
    const LeadCrossing lead = crossLead(m_scoring.scene, {p.x, p.y, p.z, u, v, w, tx});
    const float sdir = std::sqrt(u * u + v * v);

    const double coherent = m_densities.coherent(E, cosTheta);
    if (coherent > 0.0) {
        add(E,
            mu.coherent / mu.total * static_cast<float>(coherent) * std::exp(-mu.total * depth) *
                solidAngle,
            lead, sdir);
    }
    const float scattered = E / (1.0f + (E / ELECTRON_REST_ENERGY_KEV) * (1.0f - cosTheta));
    if (scattered < ENERGY_CUTOFF_KEV) return;
    add(scattered,
        mu.incoherent / mu.total * static_cast<float>(m_densities.incoherent(E, cosTheta)) *
            std::exp(-totalAt(scattered) * depth) * solidAngle,
        lead, sdir);
}

template <class TotalAt>
void NextEventScorer::scoreCollision(const Photon& p, const TissueCoefficients& mu,
                                     const TotalAt& totalAt, const ScoringSequence& sequence,
                                     std::uint64_t collision, Scores& scores,
                                     HistoryContributions& history) {
    if (m_settings.path == ScoringPath::Vector) {
        scoreRaysTogether(p, mu, sequence, collision, scores, history);
        return;
    }
    float offsetY = 0, offsetZ = 0;
    sequence.discOffset(collision, offsetY, offsetZ);
    for (int j = 1; j <= POINT_COUNT; ++j) {
        towards(p, mu, totalAt, POINT_PLANE_X, POINT_DISC_RADIUS * offsetY,
                POINT_Z[j] + POINT_DISC_RADIUS * offsetZ, POINT_DISC_AREA,
                [&](float energy, float crossings, const LeadCrossing& lead, float sdir) {
                    const float weighted = transmitted(energy, crossings, lead);
                    if (weighted == 0.0f) return;
                    const float kerma =
                        energy * gridValue(m_scoring.airEnergyAbsorption, energy) * weighted / sdir;
                    scores.pointSpectrum[j][energyBin(energy)] += weighted;
                    scores.pointKerma[j] += kerma;
                    history.add(KermaMoments::pointIndex(j), kerma);
                });
    }
    const int cells = m_settings.cellsPerCollision;
    const float cellWeight =
        static_cast<float>(GRID_COLUMNS * GRID_ROWS) / static_cast<float>(cells);
    for (int n = 0; n < cells; ++n) {
        int column = 0, row = 0;
        sequence.gridCell(
            collision * static_cast<std::uint64_t>(cells) + static_cast<std::uint64_t>(n), column,
            row);
        towards(p, mu, totalAt, gridColumnX(column), GRID_DISC_RADIUS * offsetY,
                gridRowZ(row) + GRID_DISC_RADIUS * offsetZ, GRID_DISC_AREA,
                [&](float energy, float crossings, const LeadCrossing& lead, float sdir) {
                    const float weighted = transmitted(energy, crossings, lead);
                    if (weighted == 0.0f) return;
                    const float kerma = cellWeight * energy *
                                        gridValue(m_scoring.airEnergyAbsorption, energy) *
                                        weighted / sdir;
                    scores.gridKerma[column][row] += kerma;
                    history.add(KermaMoments::cellIndex(column, row), kerma);
                });
    }
    const EyePoints& eyes = m_scoring.eyes;
    for (int e = 0; e < eyes.count; ++e) {
        towards(p, mu, totalAt, eyes.x[e], eyes.y[e] + POINT_DISC_RADIUS * offsetY,
                eyes.z[e] + POINT_DISC_RADIUS * offsetZ, POINT_DISC_AREA,
                [&](float energy, float crossings, const LeadCrossing& lead, float sdir) {
                    const float weighted = transmitted(energy, crossings, lead);
                    if (weighted == 0.0f) return;
                    const float kerma =
                        energy * gridValue(m_scoring.airEnergyAbsorption, energy) * weighted / sdir;
                    scores.eyeKerma[e] += kerma;
                    history.add(KermaMoments::eyePointIndex(e), kerma);
                });
    }
}

}  // namespace korvana::engine
