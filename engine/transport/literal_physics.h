// The history loop's lookups exactly as the tables define them: a search from
// the second row and fresh logarithms at every lookup. Kept as the reference
// the fast build is measured and checked against.
#pragma once

#include <cmath>

#include "engine/constants.h"
#include "engine/inputs/tissue_tables.h"
#include "engine/transport/random_stream.h"
#include "engine/transport/sampling_limit.h"
#include "engine/transport/scattering.h"

namespace korvana::engine {

class LiteralPhysics {
public:
    explicit LiteralPhysics(const TissueTables& tissue) : m_tissue(tissue) {}

    TissueCoefficients coefficients(float E) const { return tissueCoefficients(m_tissue, E); }
    float totalCoefficient(float E) const { return tissueCoefficients(m_tissue, E).total; }
    float incoherentFunctionAt(float x) const { return engine::incoherentFunctionAt(m_tissue, x); }
    float incoherentFunctionMax() const { return m_tissue.incoherentFunctionMax; }
    float coherentX(RandomStream& stream) const {
        const float r = stream.next();
        return sampleCoherentX(m_tissue, r * m_tissue.formFactorIntegralMax);
    }

    //! Phi = r pi 2, uniform over the turn.
    void azimuth(RandomStream& stream, float& cPhi, float& sPhi) const {
        const float r = stream.next();
        const float phi = r * PI * 2.0f;
        cPhi = std::cos(phi);
        sPhi = std::sin(phi);
    }

    //! Draws r1 and r2 (again while r1 <= 0) and returns -ln(r1)/mu [cm].
    float flightLength(RandomStream& stream, float mu, float& r2) const {
        float r1 = 0;
        long tries = 0;
        do {
            if (++tries > MAX_SAMPLING_TRIES)
                failSampling("a flight length", "the random stream", mu);
            r1 = stream.next();
            r2 = stream.next();
        } while (r1 <= 0.0f);
        return -std::log(r1) / mu;
    }

    ScatteringResult incoherent(float E, RandomStream& stream) const {
        return sampleIncoherent(E, *this, stream);
    }

private:
    const TissueTables& m_tissue;
};

}  // namespace korvana::engine
