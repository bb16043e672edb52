// One photon history in the irradiated object: free flights, photoelectric
// absorption, coherent and incoherent scattering, escape.
//
// The transport is analog: every history has weight 1. The order and number
// of random draws are part of the result: the same inputs give the same file.
//
// The loop is written once, over a `Physics` that answers the table lookups
// and scores escapes. Two exist: LiteralPhysics, which searches and takes
// logarithms at every lookup as the tables are defined, and FastPhysics,
// which returns bit-identical values from precomputed tables. A Physics has:
//   TissueCoefficients coefficients(float E);
//   float incoherentFunctionAt(float x) const;  float incoherentFunctionMax() const;
//   float coherentX(RandomStream&) const;       // one draw r: sampleCoherentX(r x max)
//   void azimuth(RandomStream&, float& cosPhi, float& sinPhi) const;  // one draw
//   ScatteringResult incoherent(float E, RandomStream&);  // sampleIncoherent's result
//   float flightLength(RandomStream&, float mu, float& r2);  // draws r1, r2
//   void scoreEscape(const Photon&, float x1, float y1, float z1);
#pragma once

#include "constants.h"
#include "geometry.h"
#include "scattering.h"
#include "photon.h"
#include "random_stream.h"
#include "tissue_tables.h"

#include <cmath>

namespace korvana::engine {

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

//! One history of a photon of `binEnergy` [keV], from the source to its end.
template <class Physics>
void runHistory(float binEnergy, const RunParameters& run, const PhantomBox& box,
                Physics& physics, RandomStream& stream) {
    Photon p = sourcePhoton(binEnergy, run, stream);
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

}  // namespace korvana::engine
