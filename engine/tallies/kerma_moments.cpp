#include "engine/tallies/kerma_moments.h"

#include <algorithm>
#include <cmath>

namespace korvana::engine {

void KermaMoments::closeBatch(std::int64_t histories) {
    const double h = static_cast<double>(histories);
    for (Open& o : m_open) {
        const double batchTotal = o.sum - o.sumAtBatchStart;
        o.batchSquares += batchTotal * batchTotal / h;
        o.sumAtBatchStart = o.sum;
    }
    ++m_batches;
    m_batchedHistories += histories;
}

void KermaMoments::closeStratum(std::int64_t histories) {
    if (m_batches > 0 && histories > m_batchedHistories) {
        closeBatch(histories - m_batchedHistories);
    }
    const double n = static_cast<double>(histories);
    const double batches = static_cast<double>(m_batches);
    for (std::size_t q = 0; q < m_open.size(); ++q) {
        Open& o = m_open[q];
        if (o.hits == 0) continue;
        Closed& c = m_closed[q];
        c.sum += o.sum;
        c.hits += o.hits;
        c.largest = std::max(c.largest, o.largest);
        const double mean = o.sum / n;
        const double spread = std::max(o.sumOfSquares - o.sum * o.sum / n, 0.0);
        if (m_batches >= 2) {
            c.variance += n * std::max(o.batchSquares - o.sum * o.sum / n, 0.0) / (batches - 1.0);
        } else {
            // n s^2 with s^2 = (sum c^2 - (sum c)^2 / n) / (n - 1); a stratum of
            // one history tells nothing of its spread and adds its square.
            c.variance += histories > 1 ? spread * n / (n - 1.0) : o.sumOfSquares;
        }
        // The central fourth sum from the power sums (the histories that did
        // not contribute are zeros of the stratum, which the power sums omit).
        const double mean2 = mean * mean;
        const double fourth = o.sumOfFourthPowers - 4.0 * mean * o.sumOfCubes +
                              6.0 * mean2 * o.sumOfSquares - 3.0 * n * mean2 * mean2;
        c.centralSquares += spread;
        c.varianceOfSquares += std::max(fourth, 0.0) - spread * spread / n;
        o = Open{};
    }
    m_batches = 0;
    m_batchedHistories = 0;
}

void KermaMoments::merge(const KermaMoments& later) {
    for (std::size_t q = 0; q < m_closed.size(); ++q) {
        m_closed[q].sum += later.m_closed[q].sum;
        m_closed[q].variance += later.m_closed[q].variance;
        m_closed[q].hits += later.m_closed[q].hits;
        m_closed[q].centralSquares += later.m_closed[q].centralSquares;
        m_closed[q].varianceOfSquares += later.m_closed[q].varianceOfSquares;
        m_closed[q].largest = std::max(m_closed[q].largest, later.m_closed[q].largest);
    }
}

double KermaMoments::relativeError(int q) const {
    const Closed& c = m_closed[static_cast<std::size_t>(q)];
    return c.sum > 0.0 ? std::sqrt(c.variance) / c.sum : 0.0;
}

double KermaMoments::varianceOfVariance(int q) const {
    const Closed& c = m_closed[static_cast<std::size_t>(q)];
    if (!(c.sum > 0.0) || !(c.centralSquares > 0.0)) return 0.0;
    return std::max(c.varianceOfSquares, 0.0) / (c.centralSquares * c.centralSquares);
}

double KermaMoments::largestShare(int q) const {
    const Closed& c = m_closed[static_cast<std::size_t>(q)];
    return c.sum > 0.0 ? c.largest / c.sum : 0.0;
}

}  // namespace korvana::engine
