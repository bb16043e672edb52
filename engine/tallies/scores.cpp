#include "engine/tallies/scores.h"

#include <cmath>

#include "engine/transport/grid_lookup.h"

namespace korvana::engine {

void addScores(Scores& total, const Scores& part) {
    for (int j = 1; j <= POINT_COUNT; ++j) {
        for (int b = 1; b <= GRID_BINS; ++b) total.pointSpectrum[j][b] += part.pointSpectrum[j][b];
        total.pointKerma[j] += part.pointKerma[j];
    }
    for (int i = 1; i <= GRID_COLUMNS; ++i) {
        for (int k = 1; k <= GRID_ROWS; ++k) total.gridKerma[i][k] += part.gridKerma[i][k];
    }
    for (int e = 0; e < EyePoints::CAPACITY; ++e) total.eyeKerma[e] += part.eyeKerma[e];
    total.scoredEscapes += part.scoredEscapes;
}

void scoreEscape(Scores& scores, const ScoringContext& context, const Photon& photon, float x1,
                 float y1, float z1, KermaMoments* moments) {
    const float E = photon.energy;
    const int b = energyBin(E);
    ++scores.scoredEscapes;
    const float muEn = gridValue(context.airEnergyAbsorption, E);
    const SceneAttenuation mu = attenuationAt(context.scene, E);

    const float x = photon.x, y = photon.y, z = photon.z;
    const float u = photon.u(), v = photon.v(), w = photon.w();
    // sdir: the x-y share of the last flight's length, from its displacement.
    const float dx = x1 - x, dy = y1 - y, dz = z1 - z;
    const float sdir = std::sqrt(dx * dx + dy * dy) / std::sqrt(dx * dx + dy * dy + dz * dz);
    // What passes the lead on the way to a disc in the plane x = toX.
    const auto transmitted = [&](float toX) {
        return transmission(context.scene, crossLead(context.scene, {x, y, z, u, v, w, toX}), mu);
    };

    for (int j = 1; j <= POINT_COUNT; ++j) {
        const float t = (POINT_PLANE_X - x) / u;
        const float yp = y + t * v;
        if (std::fabs(yp) > POINT_DISC_RADIUS) continue;
        const float zp = z + t * w;
        const float dzp = zp - POINT_Z[j];
        if (dzp * dzp + yp * yp > POINT_DISC_RADIUS * POINT_DISC_RADIUS) continue;
        const float T = transmitted(POINT_PLANE_X);
        const float kerma = E * muEn * T / sdir;
        scores.pointSpectrum[j][b] += T;
        scores.pointKerma[j] += kerma;
        if (moments) moments->add(KermaMoments::pointIndex(j), kerma);
    }

    for (int i = 1; i <= GRID_COLUMNS; ++i) {
        const float t = (gridColumnX(i) - x) / u;
        const float yp = y + t * v;
        if (std::fabs(yp) > GRID_DISC_RADIUS) continue;
        const float zp = z + t * w;
        for (int k = 1; k <= GRID_ROWS; ++k) {
            const float dzk = zp - gridRowZ(k);
            if (dzk * dzk + yp * yp <= GRID_DISC_RADIUS * GRID_DISC_RADIUS) {
                const float T = transmitted(gridColumnX(i));
                const float kerma = E * muEn * T / sdir;
                scores.gridKerma[i][k] += kerma;
                if (moments) moments->add(KermaMoments::cellIndex(i, k), kerma);
            }
        }
    }
}

}  // namespace korvana::engine
