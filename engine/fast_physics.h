// The history loop's lookups from precomputed tables, bit-identical to the
// reference lookups: the same float operations on the same float operands,
// only taken once instead of at every step.
//  - ln of every table energy and coefficient, and the interval differences,
//    computed once at start (the reference takes them at each lookup);
//  - the coefficients at the 300 grid energies (every primary photon's first
//    step) and at the last energy asked (coherent scattering keeps it);
//  - row searches by bisection, which find the same row as the scan from row 2;
//  - -ln(r) for each of the 16384 values the random stream can return;
//  - at scoring, the flight's crossing of a plane computed once for all nine
//    measuring points, only the grid rows within reach of the crossing tested,
//    and the curtain factor taken once per escape.
#pragma once

#include "random_stream.h"
#include "scores.h"
#include "tissue_tables.h"

#include <array>
#include <vector>

namespace korvana::engine {

class FastPhysics {
public:
    FastPhysics(const TissueTables& tissue, const ScoringContext& scoring, Scores& scores);

    TissueCoefficients coefficients(float E);
    float incoherentFunctionAt(float x) const;
    float incoherentFunctionMax() const { return m_tissue.incoherentFunctionMax; }
    float sampleCoherentX(float a) const;
    float formFactorIntegralMax() const { return m_tissue.formFactorIntegralMax; }

    float flightLength(RandomStream& stream, float mu, float& r2) const {
        int n1 = 0;
        do {
            n1 = stream.nextInteger();
            r2 = stream.next();
        } while (n1 == 0);  // r1 = n1/16384.1 is 0 exactly when n1 is
        return m_negativeLogOfDraw[static_cast<std::size_t>(n1)] / mu;
    }

    void scoreEscape(const Photon& p, float x1, float y1, float z1);

private:
    TissueCoefficients interpolate(float E) const;

    const TissueTables& m_tissue;
    ScoringContext m_scoring;
    Scores& m_scores;

    //! Per tissue row j: ln e(j), and for j >= 2 the differences to row j-1.
    struct LogRow {
        float lnEnergy = 0, lnCoherent = 0, lnIncoherent = 0, lnPhotoelectric = 0;
        float dLnEnergy = 0, dLnCoherent = 0, dLnIncoherent = 0, dLnPhotoelectric = 0;
    };
    std::array<LogRow, MAX_TISSUE_ROWS + 1> m_logRows{};
    std::array<float, MAX_TISSUE_ROWS + 1> m_energies{};
    std::array<float, SCATTER_FACTOR_ROWS + 1> m_x{};
    std::array<float, SCATTER_FACTOR_ROWS + 1> m_integral{};

    std::array<TissueCoefficients, GRID_BINS + 1> m_atGridEnergy{};
    float m_lastEnergy = -1;
    TissueCoefficients m_lastCoefficients{};

    //! -ln(valueOf(n)) for n = 1..16383 (element 0 never used: r1 = 0 is redrawn).
    std::vector<float> m_negativeLogOfDraw;
};

}  // namespace korvana::engine
