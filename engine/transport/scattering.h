// Sampling of the scattering angle of coherent and incoherent scattering.
//
// Written over a `Physics` that answers the table lookups (see history.h), so
// the reference and the fast lookups share one sampling code.
#pragma once

#include <cmath>

#include "common/file_names.h"
#include "engine/constants.h"
#include "engine/transport/random_stream.h"
#include "engine/transport/sampling_limit.h"

namespace korvana::engine {

//! A scattering's outcome: the new energy and the polar scattering angle.
struct ScatteringResult {
    float energy = 0;    //!< [keV]
    float cosTheta = 1;  //!< cos of the scattering angle
    float sinTheta = 0;
};

//! Kahn's two branches at the energy E [keV]: K = 511/E and the share of the first.
struct KahnBranches {
    float K = 0;
    float firstBranchLimit = 0;  //!< (K + 2)/(9K + 2): r1 at or below it takes the first branch
};
inline KahnBranches kahnBranchesFor(float E) {
    const float K = ELECTRON_REST_ENERGY_KEV / E;
    return KahnBranches{K, (K + 2.0f) / (9.0f * K + 2.0f)};
}

enum class KahnBranch { First, Second };

//! Kahn's candidate in the branch r1 chose, from r2: eta and the limit that
//! accepts it when r3 lies below.
struct KahnCandidate {
    float eta = 0;
    float acceptLimit = 0;
};
inline KahnCandidate kahnCandidate(float K, KahnBranch branch, float r2) {
    KahnCandidate c;
    if (branch == KahnBranch::First) {
        c.eta = 1.0f + 2.0f * r2 / K;
        c.acceptLimit = 4.0f * (1.0f / c.eta - 1.0f / (c.eta * c.eta));
    } else {
        c.eta = (K + 2.0f) / (K + 2.0f * (1.0f - r2));
        const float a = 1.0f + K - c.eta * K;
        c.acceptLimit = 0.5f * (a * a + 1.0f / c.eta);
    }
    return c;
}

//! What an accepted Kahn candidate leads to: the scattering angle, the S(x)
//! test it still has to pass, and the outcome if it does.
struct IncoherentAngle {
    bool scatteringFunctionTested = false;  //!< x < 10: the S(x) test and its draw follow
    float scatteringFunctionRatio = 0;      //!< S(x)/S(max), passed when at least the draw
    ScatteringResult result;
};

template <class Physics>
IncoherentAngle incoherentAngle(float E, float K, float eta, const Physics& physics) {
    float cosT = 1.0f - (eta - 1.0f) * K;
    if (cosT > 1.0f) cosT = 1.0f;
    float theta = 0;
    if (cosT == 0.0f) {
        theta = PI / 2.0f;
    } else {
        theta = std::atan(std::sqrt(1.0f - cosT * cosT) / cosT);
        if (theta < 0.0f) theta += PI;
    }
    IncoherentAngle angle;
    const float x = std::sin(theta / 2.0f) * E / HC_KEV_ANGSTROM;
    angle.scatteringFunctionTested = x < INCOHERENT_TEST_LIMIT;
    if (angle.scatteringFunctionTested) {
        angle.scatteringFunctionRatio =
            physics.incoherentFunctionAt(x) / physics.incoherentFunctionMax();
    }
    // The new energy and both trigonometric values come from the angle itself.
    const float cosTheta = std::cos(theta);
    angle.result.energy = E / (1.0f + (E / ELECTRON_REST_ENERGY_KEV) * (1.0f - cosTheta));
    angle.result.sinTheta = std::sin(theta);
    angle.result.cosTheta = cosTheta;
    return angle;
}

//! Klein-Nishina by Kahn's rejection method, then a rejection on the incoherent
//! scattering function S(x)/S(max) below x = 10 1/A: three draws an attempt,
//! and a fourth when the S(x) test is made.
template <class Physics>
ScatteringResult sampleIncoherent(float E, const Physics& physics, RandomStream& stream) {
    const KahnBranches kahn = kahnBranchesFor(E);
    for (long tries = 1;; ++tries) {
        if (tries > MAX_SAMPLING_TRIES) failSampling("incoherent scattering", TISSUE_TABLE_FILE, E);
        const float r1 = stream.next();
        const float r2 = stream.next();
        const float r3 = stream.next();
        const KahnBranch branch =
            r1 <= kahn.firstBranchLimit ? KahnBranch::First : KahnBranch::Second;
        const KahnCandidate candidate = kahnCandidate(kahn.K, branch, r2);
        if (!(candidate.acceptLimit > r3)) continue;
        const IncoherentAngle angle = incoherentAngle(E, kahn.K, candidate.eta, physics);
        if (angle.scatteringFunctionTested) {
            const float r = stream.next();
            if (!(angle.scatteringFunctionRatio >= r)) continue;
        }
        return angle.result;
    }
}

//! Form-factor sampling by inversion of the cumulative table, then the Thomson
//! factor (1 + cos^2)/2 by rejection. The energy does not change.
template <class Physics>
ScatteringResult sampleCoherent(float E, const Physics& physics, RandomStream& stream) {
    float c = 0;
    for (long tries = 1;; ++tries) {
        if (tries > MAX_SAMPLING_TRIES) failSampling("coherent scattering", TISSUE_TABLE_FILE, E);
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

}  // namespace korvana::engine
