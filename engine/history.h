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
//   float flightLength(RandomStream&, float mu, float& r2);  // draws r1, r2
//   void scoreEscape(const Photon&, float x1, float y1, float z1);
#pragma once

#include "constants.h"
#include "geometry.h"
#include "photon.h"
#include "random_stream.h"
#include "tissue_tables.h"

#include <cmath>

namespace korvana::engine {

//! A scattering's outcome: the new energy and the polar scattering angle.
struct ScatteringResult {
    float energy = 0;    //!< [keV]
    float cosTheta = 1;  //!< cos of the scattering angle
    float sinTheta = 0;
};

//! Klein-Nishina by Kahn's rejection method, then a rejection on the incoherent
//! scattering function S(x)/S(max) below x = 10 1/A (three draws an attempt, a
//! fourth when the test is made).
template <class Physics>
ScatteringResult sampleIncoherent(float E, const Physics& physics, RandomStream& stream) {
    const float K = ELECTRON_REST_ENERGY_KEV / E;
    float theta = 0;
    for (;;) {
        const float r1 = stream.next();
        const float r2 = stream.next();
        const float r3 = stream.next();
        float eta = 0;
        bool accepted = false;
        if (r1 <= (K + 2.0f) / (9.0f * K + 2.0f)) {
            eta = 1.0f + 2.0f * r2 / K;
            accepted = 4.0f * (1.0f / eta - 1.0f / (eta * eta)) > r3;
        } else {
            eta = (K + 2.0f) / (K + 2.0f * (1.0f - r2));
            const float a = 1.0f + K - eta * K;
            accepted = 0.5f * (a * a + 1.0f / eta) > r3;
        }
        if (!accepted) continue;

        float cosT = 1.0f - (eta - 1.0f) * K;
        if (cosT > 1.0f) cosT = 1.0f;
        if (cosT == 0.0f) {
            theta = PI / 2.0f;
        } else {
            theta = std::atan(std::sqrt(1.0f - cosT * cosT) / cosT);
            if (theta < 0.0f) theta += PI;
        }

        const float x = std::sin(theta / 2.0f) * E / HC_KEV_ANGSTROM;
        if (x < INCOHERENT_TEST_LIMIT) {
            const float S = physics.incoherentFunctionAt(x);
            const float r = stream.next();
            if (!(S / physics.incoherentFunctionMax() >= r)) continue;
        }
        break;
    }
    // The new energy and both trigonometric values come from the angle itself.
    ScatteringResult result;
    const float cosTheta = std::cos(theta);
    result.energy = E / (1.0f + (E / ELECTRON_REST_ENERGY_KEV) * (1.0f - cosTheta));
    result.sinTheta = std::sin(theta);
    result.cosTheta = cosTheta;
    return result;
}

//! Form-factor sampling by inversion of the cumulative table, then the Thomson
//! factor (1 + cos^2)/2 by rejection. The energy does not change.
template <class Physics>
ScatteringResult sampleCoherent(float E, const Physics& physics, RandomStream& stream) {
    float c = 0;
    for (;;) {
        const float xs = physics.coherentX(stream);
        const float s = xs * HC_KEV_ANGSTROM / E;  // sin(theta/2)
        if (s > 1.0f) continue;
        c = 1.0f - 2.0f * (s * s);
        const float r2 = stream.next();
        if (2.0f * r2 <= 1.0f + c * c) break;
    }
    ScatteringResult result;
    result.energy = E;
    result.cosTheta = c > 1.0f ? 1.0f : c;
    result.sinTheta = std::sqrt(1.0f - result.cosTheta * result.cosTheta);
    return result;
}

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
                                             : sampleIncoherent(p.energy, physics, stream);
        p.energy = scatter.energy;
        if (p.energy < ENERGY_CUTOFF_KEV) return;
        float cPhi = 0, sPhi = 0;
        physics.azimuth(stream, cPhi, sPhi);
        turnDirection(p, scatter.cosTheta, scatter.sinTheta, cPhi, sPhi);
        p.scattered = true;
    }
}

}  // namespace korvana::engine
