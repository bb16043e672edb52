#include "engine/transport/fast_physics.h"

#include <algorithm>
#include <cmath>

#include "common/file_names.h"
#include "engine/constants.h"
#include "engine/transport/sampling_limit.h"

namespace korvana::engine {

FastPhysics::FastPhysics(const TissueTables& tissue) : m_tissue(tissue) {
    for (int j = 1; j <= tissue.rowCount; ++j) {
        const TissueCrossSectionRow& row = tissue.rows[j];
        LogRow& l = m_logRows[j];
        m_energies[j] = row.energy;
        l.lnEnergy = std::log(row.energy);
        l.lnCoherent = std::log(row.coherent);
        l.lnIncoherent = std::log(row.incoherent);
        l.lnPhotoelectric = std::log(row.photoelectric);
        if (j >= 2) {
            const LogRow& p = m_logRows[j - 1];
            l.dLnEnergy = l.lnEnergy - p.lnEnergy;
            l.dLnCoherent = l.lnCoherent - p.lnCoherent;
            l.dLnIncoherent = l.lnIncoherent - p.lnIncoherent;
            l.dLnPhotoelectric = l.lnPhotoelectric - p.lnPhotoelectric;
        }
    }
    for (int j = 1; j <= SCATTER_FACTOR_ROWS; ++j) {
        m_x[j] = tissue.scatter[j].x;
    }
    for (int i = 1; i <= GRID_BINS; ++i) {
        m_atGridEnergy[i] = interpolate(binEnergyKev(i));
        m_kahnAtGrid[i] = kahnBranchesFor(binEnergyKev(i));
    }
    m_candidates.resize(2 * RandomStream::MODULUS);
    m_angles.resize(2 * RandomStream::MODULUS);
    m_negativeLogOfDraw.assign(RandomStream::MODULUS, 0.0f);
    m_coherentXOfDraw.assign(RandomStream::MODULUS, 0.0f);
    m_azimuthOfDraw.assign(RandomStream::MODULUS, Azimuth{1.0f, 0.0f});
    for (int n = 0; n < RandomStream::MODULUS; ++n) {
        const float r = RandomStream::valueOf(n);
        if (n > 0) m_negativeLogOfDraw[n] = -std::log(r);
        m_coherentXOfDraw[n] = sampleCoherentX(tissue, r * tissue.formFactorIntegralMax);
        const float phi = r * PI * 2.0f;
        m_azimuthOfDraw[n] = Azimuth{std::cos(phi), std::sin(phi)};
    }
}

TissueCoefficients FastPhysics::interpolate(float E) const {
    // First row above E among rows 2..N-1, else N: the row the scan from row 2 stops at.
    const float* rows = m_energies.data();
    const int j = static_cast<int>(std::upper_bound(rows + 2, rows + m_tissue.rowCount, E) - rows);
    const LogRow& lo = m_logRows[j - 1];
    const LogRow& hi = m_logRows[j];
    const float t = (std::log(E) - lo.lnEnergy) / hi.dLnEnergy;
    TissueCoefficients c;
    c.coherent = std::exp(lo.lnCoherent + t * hi.dLnCoherent);
    c.incoherent = std::exp(lo.lnIncoherent + t * hi.dLnIncoherent);
    c.photoelectric = std::exp(lo.lnPhotoelectric + t * hi.dLnPhotoelectric);
    c.total = c.photoelectric + c.incoherent + c.coherent;
    c.photoFraction = c.photoelectric / c.total;
    c.photoCoherentFraction = (c.photoelectric + c.coherent) / c.total;
    return c;
}

TissueCoefficients FastPhysics::coefficients(float E) {
    const float twice = 2.0f * E;
    const int k = static_cast<int>(twice);
    if (static_cast<float>(k) == twice && k >= 1 && k <= GRID_BINS) return m_atGridEnergy[k];
    if (E != m_lastEnergy) {
        m_lastEnergy = E;
        m_lastCoefficients = interpolate(E);
    }
    return m_lastCoefficients;
}

ScatteringResult FastPhysics::incoherent(float E, RandomStream& stream) {
    const float twice = 2.0f * E;
    const int k = static_cast<int>(twice);
    if (static_cast<float>(k) == twice && k >= 1 && k <= GRID_BINS) {
        return incoherentAtGridEnergy(k, stream);
    }
    return sampleIncoherent(E, *this, stream);
}

ScatteringResult FastPhysics::incoherentAtGridEnergy(int bin, RandomStream& stream) {
    if (bin != m_attemptBin) {
        m_attemptBin = bin;
        ++m_attemptGeneration;
    }
    const float E = binEnergyKev(bin);
    const KahnBranches& kahn = m_kahnAtGrid[bin];
    for (long tries = 1;; ++tries) {
        if (tries > MAX_SAMPLING_TRIES) failSampling("incoherent scattering", TISSUE_TABLE_FILE, E);
        const float r1 = stream.next();
        const int n2 = stream.nextInteger();
        const float r3 = stream.next();
        const KahnBranch branch =
            r1 <= kahn.firstBranchLimit ? KahnBranch::First : KahnBranch::Second;
        const std::size_t index = static_cast<std::size_t>(
            (branch == KahnBranch::First ? 0 : RandomStream::MODULUS) + n2);

        CandidateEntry& c = m_candidates[index];
        if (c.generation != m_attemptGeneration) {
            c.candidate = kahnCandidate(kahn.K, branch, RandomStream::valueOf(n2));
            c.generation = m_attemptGeneration;
        }
        if (!(c.candidate.acceptLimit > r3)) continue;

        AngleEntry& a = m_angles[index];
        if (a.generation != m_attemptGeneration) {
            a.angle = incoherentAngle(E, kahn.K, c.candidate.eta, *this);
            a.coefficientsAfter = interpolate(a.angle.result.energy);
            a.generation = m_attemptGeneration;
        }
        if (a.angle.scatteringFunctionTested) {
            const float r = stream.next();
            if (!(a.angle.scatteringFunctionRatio >= r)) continue;
        }
        // The next step asks for the coefficients at the new energy.
        m_lastEnergy = a.angle.result.energy;
        m_lastCoefficients = a.coefficientsAfter;
        return a.angle.result;
    }
}

float FastPhysics::incoherentFunctionAt(float x) const {
    const float* xs = m_x.data();
    const int j = static_cast<int>(std::upper_bound(xs + 2, xs + SCATTER_FACTOR_ROWS, x) - xs);
    const ScatterFactorRow& lo = m_tissue.scatter[j - 1];
    const ScatterFactorRow& hi = m_tissue.scatter[j];
    return lo.incoherentFunction +
           (x - lo.x) * (hi.incoherentFunction - lo.incoherentFunction) / (hi.x - lo.x);
}

}  // namespace korvana::engine
