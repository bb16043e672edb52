#include "transport.h"

#include "constants.h"

#include <cmath>

namespace korvana::engine {

ScatteringResult sampleIncoherent(float E, const TissueTables& tissue, RandomStream& stream) {
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
            const float S = incoherentFunctionAt(tissue, x);
            const float r = stream.next();
            if (!(S / tissue.incoherentFunctionMax >= r)) continue;
        }
        break;
    }
    ScatteringResult result;
    const float cosTheta = std::cos(theta);
    result.energy = E / (1.0f + (E / ELECTRON_REST_ENERGY_KEV) * (1.0f - cosTheta));
    result.sinTheta = std::sin(theta);
    result.cosTheta = cosTheta;
    return result;
}

ScatteringResult sampleCoherent(float E, const TissueTables& tissue, RandomStream& stream) {
    float c = 0;
    for (;;) {
        const float r = stream.next();
        const float xs = sampleCoherentX(tissue, r * tissue.formFactorIntegralMax);
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

void turnDirection(Photon& p, float cosScatter, float sinScatter, RandomStream& stream) {
    const float r = stream.next();
    const float phi = r * PI * 2.0f;
    const float cPhi = std::cos(phi);
    const float sPhi = std::sin(phi);

    float w = sinScatter * cPhi * p.sinTheta + cosScatter * p.cosTheta;
    // Rounding can carry |w| a hair past 1; the square root below needs it inside.
    if (w > 1.0f) w = 1.0f;
    if (w < -1.0f) w = -1.0f;
    const float sinNew = std::sqrt(1.0f - w * w);

    float sinPhiNew = 0, cosPhiNew = 1;
    if (sinNew != 0.0f) {
        const float G = sinScatter * sPhi / sinNew;
        if (p.sinTheta == 0.0f) {
            sinPhiNew = sPhi;
            cosPhiNew = -cPhi;
        } else {
            const float H = (cosScatter - w * p.cosTheta) / (sinNew * p.sinTheta);
            sinPhiNew = H * p.sinPhi + G * p.cosPhi;
            cosPhiNew = H * p.cosPhi - G * p.sinPhi;
        }
    }
    p.cosTheta = w;
    p.sinTheta = sinNew;
    p.cosPhi = cosPhiNew;
    p.sinPhi = sinPhiNew;
}

namespace {

//! Escape: only scattered photons heading to +x, not parallel to the surface or
//! along the axis, reach the scoring.
bool isScorable(const Photon& p) {
    const float u = p.u();
    const float w = p.w();
    return p.scattered && w != 0.0f && w != 1.0f && u != 0.0f && p.cosPhi >= 0.0f;
}

}  // namespace

void runHistory(float binEnergy, const TransportContext& context, RandomStream& stream,
                Scores& scores) {
    Photon p = sourcePhoton(binEnergy, context.run, stream);
    for (;;) {
        if (p.energy < ENERGY_CUTOFF_KEV) return;
        const TissueCoefficients mu = tissueCoefficients(context.tissue, p.energy);

        float r1 = 0, r2 = 0;
        do {
            r1 = stream.next();
            r2 = stream.next();
        } while (r1 <= 0.0f);

        const float s = -std::log(r1) / mu.total;
        const float x1 = p.x + s * p.u();
        const float y1 = p.y + s * p.v();
        const float z1 = p.z + s * p.w();
        if (!context.box.contains(x1, y1, z1)) {
            if (isScorable(p)) scoreEscape(scores, context.scoring, p, x1, y1, z1);
            return;
        }
        p.x = x1;
        p.y = y1;
        p.z = z1;

        if (r2 < mu.photoFraction) return;
        const ScatteringResult scatter = r2 < mu.photoCoherentFraction
                                             ? sampleCoherent(p.energy, context.tissue, stream)
                                             : sampleIncoherent(p.energy, context.tissue, stream);
        p.energy = scatter.energy;
        if (p.energy < ENERGY_CUTOFF_KEV) return;
        turnDirection(p, scatter.cosTheta, scatter.sinTheta, stream);
        p.scattered = true;
    }
}

}  // namespace korvana::engine
