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
    const SceneAttenuation mu = attenuationAt(m_scoring.scene, E);

    const float x = photon.x, y = photon.y, z = photon.z;
    const float u = photon.u(), v = photon.v(), w = photon.w();
    const float dx = x1 - x, dy = y1 - y, dz = z1 - z;
    const float sdir = std::sqrt(dx * dx + dy * dy) / std::sqrt(dx * dx + dy * dy + dz * dz);
    const float energyTimesMuEn = E * muEn;

    // The lead's factor depends on the path and the plane of the discs it
    // reaches: one value per plane, taken at its first hit (`factor` < 0 until then).
    const auto transmitted = [&](float& factor, float toX) {
        if (factor < 0.0f) {
            factor = transmission(m_scoring.scene,
                                  crossLead(m_scoring.scene, {x, y, z, u, v, w, toX}), mu);
        }
        return factor;
    };

    {
        const float t = (POINT_PLANE_X - x) / u;
        const float yp = y + t * v;
        if (std::fabs(yp) <= POINT_DISC_RADIUS) {
            const float zp = z + t * w;
            float pointsFactor = -1.0f;
            for (int j = 1; j <= POINT_COUNT; ++j) {
                const float dzp = zp - POINT_Z[j];
                if (dzp * dzp + yp * yp > POINT_DISC_RADIUS * POINT_DISC_RADIUS) continue;
                const float factor = transmitted(pointsFactor, POINT_PLANE_X);
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
        float columnFactor = -1.0f;
        for (int k = first; k <= last; ++k) {
            const float dzk = zp - gridRowZ(k);
            if (dzk * dzk + yp * yp <= GRID_DISC_RADIUS * GRID_DISC_RADIUS) {
                const float kerma =
                    energyTimesMuEn * transmitted(columnFactor, gridColumnX(i)) / sdir;
                scores.gridKerma[i][k] += kerma;
                if (moments) moments->add(KermaMoments::cellIndex(i, k), kerma);
            }
        }
    }
}

}  // namespace korvana::engine
