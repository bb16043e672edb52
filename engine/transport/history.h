// One photon history in the irradiated object: free flights, photoelectric
// absorption, coherent and incoherent scattering, escape.
//
// The transport is analog: every history has weight 1. The order and number
// of random draws are part of the result: the same inputs give the same file.
//
// The loop is written once, over a `TransportPhysics` (transport_physics.h)
// that only looks up and samples, and a `HistoryTally` that receives the
// loop's events and scores them (engine/tallies/). The physics never scores
// and the tally never draws from the stream.
#pragma once

#include <cmath>
#include <concepts>

#include "engine/constants.h"
#include "engine/inputs/tissue_tables.h"
#include "engine/transport/geometry.h"
#include "engine/transport/photon.h"
#include "engine/transport/random_stream.h"
#include "engine/transport/scattering.h"
#include "engine/transport/transport_physics.h"

namespace korvana::engine {

//! What the history loop tells its tally, in the order they happen: each
//! collision at its site (before the interaction; `physics` answers the
//! coefficients at other energies), the escape of a scorable photon, and the
//! end of every history.
template <class T, class P>
concept HistoryTally = requires(T& tally, const P& physics, const Photon& photon,
                                const TissueCoefficients& mu, float value) {
    tally.collision(photon, mu, physics);
    tally.escape(photon, value, value, value);
    tally.endHistory();
};

//! Turns the photon's direction by the scattering angle and an azimuth of
//! cos cPhi, sin sPhi.
void turnDirection(Photon& photon, float cosScatter, float sinScatter, float cPhi, float sPhi);

//! Only scattered photons heading to +x, neither parallel to the entrance
//! surface nor along the axis, reach the scoring.
inline bool isScorable(const Photon& p) {
    const float u = p.u();
    const float w = p.w();
    return p.scattered && w != 0.0f && w != 1.0f && u != 0.0f && p.cosPhi >= 0.0f;
}

//! The photon's flights and interactions until it is absorbed, escapes or
//! falls below the cut-off.
template <TransportPhysics Physics, HistoryTally<Physics> Tally>
void followPhoton(Photon& p, const PhantomBox& box, Physics& physics, Tally& tally,
                  RandomStream& stream) {
    for (;;) {
        if (p.energy < ENERGY_CUTOFF_KEV) return;
        const TissueCoefficients mu = physics.coefficients(p.energy);
        float r2 = 0;
        const float s = physics.flightLength(stream, mu.total, r2);

        const float x1 = p.x + s * p.u();
        const float y1 = p.y + s * p.v();
        const float z1 = p.z + s * p.w();
        if (!box.contains(x1, y1, z1)) {
            if (isScorable(p)) tally.escape(p, x1, y1, z1);
            return;
        }
        p.x = x1;
        p.y = y1;
        p.z = z1;
        tally.collision(p, mu, physics);

        if (r2 < mu.photoFraction) return;  // photoelectric absorption
        const ScatteringResult scatter = r2 < mu.photoCoherentFraction
                                             ? sampleCoherent(p.energy, physics, stream)
                                             : physics.incoherent(p.energy, stream);
        p.energy = scatter.energy;
        if (p.energy < ENERGY_CUTOFF_KEV) return;
        float cPhi = 0, sPhi = 0;
        physics.azimuth(stream, cPhi, sPhi);
        turnDirection(p, scatter.cosTheta, scatter.sinTheta, cPhi, sPhi);
        p.scattered = true;
    }
}

//! One history of a photon of `binEnergy` [keV], from the source to its end.
template <TransportPhysics Physics, HistoryTally<Physics> Tally>
void runHistory(float binEnergy, const RunParameters& run, const PhantomBox& box, Physics& physics,
                Tally& tally, RandomStream& stream) {
    Photon p = sourcePhoton(binEnergy, run, stream);
    followPhoton(p, box, physics, tally, stream);
    tally.endHistory();
}

}  // namespace korvana::engine
