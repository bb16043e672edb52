// The next-event (point detector) estimator at the nine measuring points.
//
// At every interaction site in the object, the first included, each point
// receives the expected contribution of that collision: for coherent and for
// incoherent scattering, its share of the total coefficient, times the angular
// density per steradian towards the point (angular_density.h), times the
// probability of leaving the object along that ray without interacting, times
// the curtain's transmission, times the solid angle the point's disc subtends
// (25 pi u / r^2). That is the expected number of scattered photons crossing
// the disc, which the analog scoring counts one by one: it is added to the
// point's spectrum (in the bin of the energy after scattering), and with the
// analog weight E muen / sdir to its kerma. Photons scattered below 5 keV end
// their history in the transport, so they contribute nothing here either.
//
// The analog scoring averages over each 5 cm disc, so the estimate is taken at
// a point spread uniformly over the disc, a different one at each collision,
// not at its centre: the fluence is smooth over most discs, but the 90 degree
// disc straddles the plane of the entrance surface, where rays from shallow
// collisions start leaving through that face, and its average lies about 2 %
// above its centre's value (measured on the default case). The points come
// from a low-discrepancy (R2) sequence over the collisions of a block, so no
// random number is drawn: the transport and the grid's analog scoring stay
// exactly as they are. All points lie well outside the object (x = 100 cm,
// the object ends at x = 15 cm), so 1/r^2 stays bounded and the estimator's
// variance finite.
#pragma once

#include "angular_density.h"
#include "constants.h"
#include "geometry.h"
#include "photon.h"
#include "scores.h"
#include "tissue_tables.h"

#include <array>
#include <cstdint>
#include <cmath>

namespace korvana::engine {

class NextEventScorer {
public:
    NextEventScorer(const TissueTables& tables, const ScoringContext& scoring);

    const AngularDensities& densities() const { return m_densities; }

    //! Adds the expected contributions of a collision of `p` (at its site,
    //! before the collision) whose coefficients are `mu`. `totalAt(E)` gives the
    //! total coefficient [1/cm] at E [keV]. The kerma contributions are also
    //! added to `historyKerma` [point 1..9] for the uncertainty bookkeeping.
    //! `collision` numbers the collisions of the block (or run), from 0: it
    //! picks the point on the discs.
    template <class TotalAt>
    void scoreCollision(const Photon& p, const TissueCoefficients& mu, const PhantomBox& box,
                        const TotalAt& totalAt, std::uint64_t collision, Scores& scores,
                        std::array<double, POINT_COUNT + 1>& historyKerma) const;

    //! The offset (y, z) [cm] from a disc's centre for collision number n.
    static void discOffset(std::uint64_t n, float& y, float& z);

private:
    //! Distance [cm] from (x, y, z) inside the box to its surface along (u, v, w), u > 0.
    static float distanceToSurface(const PhantomBox& box, float x, float y, float z, float u,
                                   float v, float w);

    void addContribution(int point, float energy, float crossings, float z0, float zc,
                         float sdir, Scores& scores,
                         std::array<double, POINT_COUNT + 1>& historyKerma) const;

    AngularDensities m_densities;
    ScoringContext m_scoring;
};

template <class TotalAt>
void NextEventScorer::scoreCollision(const Photon& p, const TissueCoefficients& mu,
                                     const PhantomBox& box, const TotalAt& totalAt,
                                     std::uint64_t collision, Scores& scores,
                                     std::array<double, POINT_COUNT + 1>& historyKerma) const {
    float offsetY = 0, offsetZ = 0;
    discOffset(collision, offsetY, offsetZ);
    const float E = p.energy;
    const float coherentShare = mu.coherent / mu.total;
    const float incoherentShare = mu.incoherent / mu.total;
    const float u0 = p.u(), v0 = p.v(), w0 = p.w();
    for (int j = 1; j <= POINT_COUNT; ++j) {
        const float dx = POINT_PLANE_X - p.x, dy = offsetY - p.y, dz = POINT_Z[j] + offsetZ - p.z;
        const float r2 = dx * dx + dy * dy + dz * dz;
        const float r = std::sqrt(r2);
        const float u = dx / r, v = dy / r, w = dz / r;
        const float cosTheta = u * u0 + v * v0 + w * w0;
        const float solidAngle = 25.0f * PI * u / r2;
        const float depth = distanceToSurface(box, p.x, p.y, p.z, u, v, w);
        const float zc = p.z + ((LeadCurtain::PLANE_X - p.x) / u) * w;
        const float sdir = std::sqrt(u * u + v * v);

        const double coherent = m_densities.coherent(E, cosTheta);
        if (coherent > 0.0) {
            const float crossings = coherentShare * static_cast<float>(coherent) *
                                    std::exp(-mu.total * depth) * solidAngle;
            addContribution(j, E, crossings, p.z, zc, sdir, scores, historyKerma);
        }
        const float scattered = E / (1.0f + (E / ELECTRON_REST_ENERGY_KEV) * (1.0f - cosTheta));
        if (scattered < ENERGY_CUTOFF_KEV) continue;
        const float crossings = incoherentShare *
                                static_cast<float>(m_densities.incoherent(E, cosTheta)) *
                                std::exp(-totalAt(scattered) * depth) * solidAngle;
        addContribution(j, scattered, crossings, p.z, zc, sdir, scores, historyKerma);
    }
}

}  // namespace korvana::engine
