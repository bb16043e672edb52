// The history loop's lookups from precomputed tables, bit-identical to the
// reference lookups: the same float operations on the same float operands,
// only taken once instead of at every step.
//  - ln of every table energy and coefficient, and the interval differences,
//    computed once at start (the reference takes them at each lookup);
//  - the coefficients at the 300 grid energies (every primary photon's first
//    step) and at the last energy asked (coherent scattering keeps it);
//  - row searches by bisection, which find the same row as the scan from row 2;
//  - incoherent scattering at a grid energy (every primary photon's first
//    interactions): each attempt's outcome depends only on the energy, the
//    branch and the second draw, so it is kept per (branch, draw) while the
//    photons of one bin run, together with the coefficients at the new energy;
//  - functions of a single draw (-ln r, the coherent x, the azimuth's cos and
//    sin) for each of the 16384 values the random stream can return.
// The tables are the thread's own: one FastPhysics per worker thread.
#pragma once

#include <array>
#include <vector>

#include "common/energy_grid.h"
#include "engine/inputs/tissue_tables.h"
#include "engine/transport/random_stream.h"
#include "engine/transport/sampling_limit.h"
#include "engine/transport/scattering.h"

namespace korvana::engine {

class FastPhysics {
public:
    explicit FastPhysics(const TissueTables& tissue);

    TissueCoefficients coefficients(float E);
    float totalCoefficient(float E) const { return interpolate(E).total; }
    float incoherentFunctionAt(float x) const;
    float incoherentFunctionMax() const { return m_tissue.incoherentFunctionMax; }
    float coherentX(RandomStream& stream) const {
        return m_coherentXOfDraw[static_cast<std::size_t>(stream.nextInteger())];
    }
    void azimuth(RandomStream& stream, float& cPhi, float& sPhi) const {
        const Azimuth& a = m_azimuthOfDraw[static_cast<std::size_t>(stream.nextInteger())];
        cPhi = a.cosPhi;
        sPhi = a.sinPhi;
    }

    float flightLength(RandomStream& stream, float mu, float& r2) const {
        int n1 = 0;
        long tries = 0;
        do {
            if (++tries > MAX_SAMPLING_TRIES)
                failSampling("a flight length", "the random stream", mu);
            n1 = stream.nextInteger();
            r2 = stream.next();
        } while (n1 == 0);  // r1 = n1/16384.1 is 0 exactly when n1 is
        return m_negativeLogOfDraw[static_cast<std::size_t>(n1)] / mu;
    }

    ScatteringResult incoherent(float E, RandomStream& stream);

private:
    //! Kahn's candidate for one (branch, second draw) at the current grid energy.
    struct CandidateEntry {
        int generation = -1;
        KahnCandidate candidate;
    };
    //! The accepted candidate's angle and the coefficients at its new energy.
    struct AngleEntry {
        int generation = -1;
        IncoherentAngle angle;
        TissueCoefficients coefficientsAfter;
    };
    ScatteringResult incoherentAtGridEnergy(int bin, RandomStream& stream);

    TissueCoefficients interpolate(float E) const;

    const TissueTables& m_tissue;

    //! Per tissue row j: ln e(j), and for j >= 2 the differences to row j-1.
    struct LogRow {
        float lnEnergy = 0, lnCoherent = 0, lnIncoherent = 0, lnPhotoelectric = 0;
        float dLnEnergy = 0, dLnCoherent = 0, dLnIncoherent = 0, dLnPhotoelectric = 0;
    };
    std::array<LogRow, MAX_TISSUE_ROWS + 1> m_logRows{};
    std::array<float, MAX_TISSUE_ROWS + 1> m_energies{};
    std::array<float, SCATTER_FACTOR_ROWS + 1> m_x{};

    std::array<TissueCoefficients, GRID_BINS + 1> m_atGridEnergy{};
    float m_lastEnergy = -1;
    TissueCoefficients m_lastCoefficients{};

    std::array<KahnBranches, GRID_BINS + 1> m_kahnAtGrid{};
    int m_attemptBin = 0;                      //!< grid energy the attempt tables hold
    int m_attemptGeneration = 0;               //!< entries of other generations are stale
    std::vector<CandidateEntry> m_candidates;  //!< [branch x 16384 + draw]
    std::vector<AngleEntry> m_angles;          //!< same index

    //! Functions of one draw, for each of the 16384 values the stream returns:
    //! -ln(r) (element 0 never used: r1 = 0 is redrawn), the coherent x at
    //! r x formFactorIntegralMax, and cos and sin of the azimuth r pi 2.
    struct Azimuth {
        float cosPhi, sinPhi;
    };
    std::vector<float> m_negativeLogOfDraw;
    std::vector<float> m_coherentXOfDraw;
    std::vector<Azimuth> m_azimuthOfDraw;
};

}  // namespace korvana::engine
