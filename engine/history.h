// One photon history in the irradiated object: free flights, photoelectric
// absorption, coherent and incoherent scattering, escape.
//
// The transport is analog: every history has weight 1. The order and number
// of random draws are part of the result: the same inputs give the same file.
//
// The loop is written once, over a `TransportPhysics` that answers the table
// lookups and scores. Two exist: LiteralPhysics, which searches and takes
// logarithms at every lookup as the tables are defined, and FastPhysics,
// which returns bit-identical values from precomputed tables.
#pragma once

#include <cmath>
#include <concepts>

#include "engine/constants.h"
#include "engine/geometry.h"
#include "engine/photon.h"
#include "engine/random_stream.h"
#include "engine/scattering.h"
#include "engine/tissue_tables.h"

namespace korvana::engine {

//! What the history loop asks of its physics.
template <class P>
concept TransportPhysics = requires(P& physics, const P& constPhysics, RandomStream& stream,
                                    float value, float& out, const Photon& photon,
                                    const TissueCoefficients& mu) {
    { physics.coefficients(value) } -> std::same_as<TissueCoefficients>;
    { constPhysics.incoherentFunctionAt(value) } -> std::same_as<float>;
    { constPhysics.incoherentFunctionMax() } -> std::same_as<float>;
    //! one draw r: sampleCoherentX(r x max)
    { constPhysics.coherentX(stream) } -> std::same_as<float>;
    //! one draw: cos and sin of the azimuth
    constPhysics.azimuth(stream, out, out);
    //! sampleIncoherent's result
    { physics.incoherent(value, stream) } -> std::same_as<ScatteringResult>;
    //! draws r1 and r2 (again while r1 is 0); returns -ln(r1)/mu [cm], r2 in `out`
    { physics.flightLength(stream, value, out) } -> std::same_as<float>;
    //! a scattered photon leaving the object towards the scoring planes
    physics.scoreEscape(photon, value, value, value);
    //! every interaction site, before the interaction (the next-event estimator)
    physics.scoreCollision(photon, mu);
    //! after the history's last step
    physics.endHistory();
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
template <TransportPhysics Physics>
void followPhoton(Photon& p, const PhantomBox& box, Physics& physics, RandomStream& stream) {
    for (;;) {
        if (p.energy < ENERGY_CUTOFF_KEV) return;
        const TissueCoefficients mu = physics.coefficients(p.energy);
        float r2 = 0;
        const float s = physics.flightLength(stream, mu.total, r2);

        const float x1 = p.x + s * p.u();
        const float y1 = p.y + s * p.v();
        const float z1 = p.z + s * p.w();
        if (!box.contains(x1, y1, z1)) {
            if (isScorable(p)) physics.scoreEscape(p, x1, y1, z1);
            return;
        }
        p.x = x1;
        p.y = y1;
        p.z = z1;
        physics.scoreCollision(p, mu);

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
template <TransportPhysics Physics>
void runHistory(float binEnergy, const RunParameters& run, const PhantomBox& box, Physics& physics,
                RandomStream& stream) {
    Photon p = sourcePhoton(binEnergy, run, stream);
    followPhoton(p, box, physics, stream);
    physics.endHistory();
}

}  // namespace korvana::engine
