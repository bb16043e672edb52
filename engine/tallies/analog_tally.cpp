#include "engine/tallies/analog_tally.h"

#include <algorithm>
#include <cmath>

#include "engine/transport/grid_lookup.h"

namespace korvana::engine {

void AnalogTally::scoreEscapeNearestRows(const Photon& photon, float x1, float y1, float z1) {
    const float E = photon.energy;
    const int b = energyBin(E);
    Scores& scores = *m_target.scores;
    KermaMoments* moments = m_target.moments;
    ++scores.scoredEscapes;
    const float muEn = gridValue(m_scoring.airEnergyAbsorption, E);
    const float muPb = gridValue(m_scoring.leadAttenuation, E);

    const float x = photon.x, y = photon.y, z = photon.z;
    const float u = photon.u(), v = photon.v(), w = photon.w();
    const float dx = x1 - x, dy = y1 - y, dz = z1 - z;
    const float sdir = std::sqrt(dx * dx + dy * dy) / std::sqrt(dx * dx + dy * dy + dz * dz);
    const float zc = z + ((LeadCurtain::PLANE_X - x) / u) * w;
    const float energyTimesMuEn = E * muEn;

    // The factor depends only on z, zc and muPb: one value for every disc hit.
    float T = -1.0f;
    const auto transmission = [&] {
        if (T < 0.0f) T = curtainTransmission(m_scoring.curtain, z, zc, muPb);
        return T;
    };

    {
        const float t = (POINT_PLANE_X - x) / u;
        const float yp = y + t * v;
        if (std::fabs(yp) <= POINT_DISC_RADIUS) {
            const float zp = z + t * w;
            for (int j = 1; j <= POINT_COUNT; ++j) {
                const float dzp = zp - POINT_Z[j];
                if (dzp * dzp + yp * yp > POINT_DISC_RADIUS * POINT_DISC_RADIUS) continue;
                const float factor = transmission();
                const float kerma = energyTimesMuEn * factor / sdir;
                scores.pointSpectrum[j][b] += factor;
                scores.pointKerma[j] += kerma;
                if (moments) moments->add(KermaMoments::pointIndex(j), kerma);
            }
        }
    }

    // Rows lie 5 cm apart and discs reach 2 cm: only the row nearest to the
    // crossing can be hit; its neighbours are tested too, so a rounding of the
    // estimate cannot lose a hit. The exact disc test decides.
    const float lowestZ = GRID_FIRST_Z - GRID_STEP;
    const float highestZ = gridRowZ(GRID_ROWS) + GRID_STEP;
    for (int i = 1; i <= GRID_COLUMNS; ++i) {
        const float t = (gridColumnX(i) - x) / u;
        const float yp = y + t * v;
        if (std::fabs(yp) > GRID_DISC_RADIUS) continue;
        const float zp = z + t * w;
        if (!(zp > lowestZ && zp < highestZ)) continue;
        const int nearest =
            static_cast<int>(std::floor((zp - GRID_FIRST_Z) / GRID_STEP + 0.5f)) + 1;
        const int first = std::max(1, nearest - 1);
        const int last = std::min(GRID_ROWS, nearest + 1);
        for (int k = first; k <= last; ++k) {
            const float dzk = zp - gridRowZ(k);
            if (dzk * dzk + yp * yp <= GRID_DISC_RADIUS * GRID_DISC_RADIUS) {
                const float kerma = energyTimesMuEn * transmission() / sdir;
                scores.gridKerma[i][k] += kerma;
                if (moments) moments->add(KermaMoments::cellIndex(i, k), kerma);
            }
        }
    }
}

}  // namespace korvana::engine
