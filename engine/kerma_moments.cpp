#include "engine/kerma_moments.h"

#include <algorithm>
#include <cmath>

namespace korvana::engine {

void KermaMoments::closeStratum(std::int64_t histories) {
    const double n = static_cast<double>(histories);
    for (std::size_t q = 0; q < m_open.size(); ++q) {
        Open& o = m_open[q];
        if (o.hits == 0) continue;
        Closed& c = m_closed[q];
        c.sum += o.sum;
        c.hits += o.hits;
        // n s^2 with s^2 = (sum c^2 - (sum c)^2 / n) / (n - 1); a stratum of
        // one history tells nothing of its spread and adds its square.
        const double spread = o.sumOfSquares - o.sum * o.sum / n;
        c.variance += histories > 1 ? std::max(spread, 0.0) * n / (n - 1.0) : o.sumOfSquares;
        o = Open{};
    }
}

void KermaMoments::merge(const KermaMoments& later) {
    for (std::size_t q = 0; q < m_closed.size(); ++q) {
        m_closed[q].sum += later.m_closed[q].sum;
        m_closed[q].variance += later.m_closed[q].variance;
        m_closed[q].hits += later.m_closed[q].hits;
    }
}

double KermaMoments::relativeError(int q) const {
    const Closed& c = m_closed[static_cast<std::size_t>(q)];
    return c.sum > 0.0 ? std::sqrt(c.variance) / c.sum : 0.0;
}

}  // namespace korvana::engine
