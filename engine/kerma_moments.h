// Statistical uncertainty of the scored air kermas, kept beside the tallies
// the result file is written from and never feeding back into them.
//
// History by history: a history ends at its escape, so it contributes at most
// once to each measuring point and grid cell, and that contribution is exactly
// what the escape adds to the kerma tally. The sum and the sum of squares of
// the contributions are kept per stratum (the histories of one energy bin in
// the single-stream mode, one block of histories in the parallel mode), since
// the histories of a bin are a fixed share of the run rather than a random
// one: the variance of the run's total is the sum over the strata of
// n s^2, s^2 being the sample variance of the stratum's n histories.
#pragma once

#include <array>
#include <cstdint>

#include "engine/geometry.h"

namespace korvana::engine {

class KermaMoments {
public:
    //! The nine measuring points, then the grid cells column by column.
    static constexpr int QUANTITY_COUNT = POINT_COUNT + GRID_COLUMNS * GRID_ROWS;
    static constexpr int pointIndex(int point) { return point - 1; }  //!< point 1..9
    static constexpr int cellIndex(int column, int row) {             //!< 1..21, 1..31
        return POINT_COUNT + (column - 1) * GRID_ROWS + (row - 1);
    }

    //! One history's contribution [keV cm^2/g] to quantity `q` of the open stratum.
    void add(int q, float contribution) { add(q, static_cast<double>(contribution)); }

    //! One history's whole contribution, when it came from several collisions.
    void add(int q, double contribution) {
        Open& o = m_open[static_cast<std::size_t>(q)];
        o.sum += contribution;
        o.sumOfSquares += contribution * contribution;
        ++o.hits;
    }

    //! Ends the open stratum of `histories` histories and folds it into the totals.
    void closeStratum(std::int64_t histories);

    //! Adds the closed totals of `later` (its strata follow this one's).
    void merge(const KermaMoments& later);

    //! Relative standard error of quantity q's total; 0 when its total is 0.
    double relativeError(int q) const;
    //! Histories that contributed to quantity q.
    std::int64_t contributingHistories(int q) const {
        return m_closed[static_cast<std::size_t>(q)].hits;
    }
    double total(int q) const { return m_closed[static_cast<std::size_t>(q)].sum; }

private:
    struct Open {
        double sum = 0, sumOfSquares = 0;
        std::int64_t hits = 0;
    };
    struct Closed {
        double sum = 0;
        double variance = 0;  //!< of the total, summed over the strata
        std::int64_t hits = 0;
    };
    std::array<Open, QUANTITY_COUNT> m_open{};
    std::array<Closed, QUANTITY_COUNT> m_closed{};
};

//! One history's contributions gathered over its collisions (the next-event
//! estimator scores at several), handed to the moments when it ends.
class HistoryContributions {
public:
    void add(int q, double contribution) {
        double& value = m_values[static_cast<std::size_t>(q)];
        if (value == 0.0) m_touched[m_touchedCount++] = q;
        value += contribution;
        if (value == 0.0) value = TINY;  // stays listed once
    }
    //! Adds the history's total of every quantity it reached, and starts anew.
    void endHistory(KermaMoments* moments) {
        for (int n = 0; n < m_touchedCount; ++n) {
            const std::size_t q = static_cast<std::size_t>(m_touched[static_cast<std::size_t>(n)]);
            if (moments) moments->add(static_cast<int>(q), m_values[q]);
            m_values[q] = 0.0;
        }
        m_touchedCount = 0;
    }

private:
    static constexpr double TINY = 1e-300;
    std::array<double, KermaMoments::QUANTITY_COUNT> m_values{};
    std::array<int, KermaMoments::QUANTITY_COUNT> m_touched{};
    int m_touchedCount = 0;
};

}  // namespace korvana::engine
