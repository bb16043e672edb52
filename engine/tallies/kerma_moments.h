// Statistical uncertainty of the scored air kermas, kept beside the tallies
// the result file is written from and never feeding back into them.
//
// History by history: a history's contribution to a measuring point or grid
// cell is everything it added there (the analog scoring adds at its escape,
// the next-event estimator at each of its collisions). The power sums of the
// contributions (first to fourth) and the largest one are kept per stratum
// (the histories of one energy bin in the single-stream mode, one block of
// histories in the parallel mode), since the histories of a bin are a fixed
// share of the run rather than a random one: the variance of the run's total
// is the sum over the strata of n s^2, s^2 being the sample variance of the
// stratum's n histories.
//
// When the histories of a stratum come in batches that are independent
// replicas but whose histories are not independent of one another (the
// next-event estimator's evenly spread choices of cells, scoring_sequence.h),
// the stratum's variance is taken from its batches instead: with batch totals
// T_b of h_b histories, n s^2 where s^2 = (sum T_b^2 / h_b - (sum T_b)^2 / n)
// / (m - 1) over its m batches; a batch of one history each gives the formula
// above. A stratum of a single batch falls back on its histories' spread.
//
// The quality of that error estimate, in the way of the tally checks of
// established Monte Carlo codes:
//  - the relative variance of the variance (VOV). For one stratum of N
//    histories it is sum (x - mean)^4 / (sum (x - mean)^2)^2 - 1/N; over
//    strata, the variance's estimated variance, sum over the strata of
//    (S4 - S2^2 / n), divided by the squared variance sum S2 (S2, S4 the
//    central sums of the stratum). Below 0.1 the error is itself trustworthy;
//  - the largest single history's share of the tally. A tally one history
//    makes is unreliable whatever its error says.
#pragma once

#include <array>
#include <cstdint>

#include "engine/tallies/eye_points.h"
#include "engine/transport/geometry.h"

namespace korvana::engine {

//! A tally whose error estimate is not to be trusted: its VOV is at least
//! this, or one history holds more than LARGEST_SHARE_LIMIT of it.
inline constexpr double VOV_LIMIT = 0.1;
inline constexpr double LARGEST_SHARE_LIMIT = 0.1;

class KermaMoments {
public:
    //! The nine measuring points, then the grid cells column by column, then
    //! the places of the scene's eye points (the uncertainty file has the
    //! points and the cells, the eye points' file the rest).
    static constexpr int QUANTITY_COUNT =
        POINT_COUNT + GRID_COLUMNS * GRID_ROWS + EyePoints::CAPACITY;
    static constexpr int pointIndex(int point) { return point - 1; }  //!< point 1..9
    static constexpr int cellIndex(int column, int row) {             //!< 1..21, 1..31
        return POINT_COUNT + (column - 1) * GRID_ROWS + (row - 1);
    }
    static constexpr int eyePointIndex(int eye) {  //!< 0..EyePoints::CAPACITY - 1
        return POINT_COUNT + GRID_COLUMNS * GRID_ROWS + eye;
    }

    //! One history's whole contribution [keV cm^2/g] to quantity `q` of the open stratum.
    void add(int q, double contribution) {
        Open& o = m_open[static_cast<std::size_t>(q)];
        const double square = contribution * contribution;
        o.sum += contribution;
        o.sumOfSquares += square;
        o.sumOfCubes += square * contribution;
        o.sumOfFourthPowers += square * square;
        if (contribution > o.largest) o.largest = contribution;
        ++o.hits;
    }

    //! Ends the open batch of the open stratum, `histories` histories long.
    void closeBatch(std::int64_t histories);

    //! Ends the open stratum of `histories` histories and folds it into the
    //! totals; when batches were closed in it, the histories after the last
    //! one make its last batch.
    void closeStratum(std::int64_t histories);

    //! Adds the closed totals of `later` (its strata follow this one's).
    void merge(const KermaMoments& later);

    //! Relative standard error of quantity q's total; 0 when its total is 0.
    double relativeError(int q) const;
    //! Relative variance of that error's variance; 0 when its total is 0.
    double varianceOfVariance(int q) const;
    //! The largest single history's share of quantity q's total; 0 when it is 0.
    double largestShare(int q) const;
    //! The error estimate of quantity q is not to be trusted (see VOV_LIMIT).
    bool unstable(int q) const {
        return total(q) > 0.0 &&
               (varianceOfVariance(q) >= VOV_LIMIT || largestShare(q) > LARGEST_SHARE_LIMIT);
    }
    //! Histories that contributed to quantity q.
    std::int64_t contributingHistories(int q) const {
        return m_closed[static_cast<std::size_t>(q)].hits;
    }
    double total(int q) const { return m_closed[static_cast<std::size_t>(q)].sum; }

private:
    struct Open {
        double sum = 0, sumOfSquares = 0, sumOfCubes = 0, sumOfFourthPowers = 0;
        double largest = 0;
        double sumAtBatchStart = 0;  //!< `sum` when the open batch began
        double batchSquares = 0;     //!< sum over the closed batches of T_b^2 / h_b
        std::int64_t hits = 0;
    };
    struct Closed {
        double sum = 0;
        double variance = 0;           //!< of the total, summed over the strata
        double centralSquares = 0;     //!< sum over the strata of S2
        double varianceOfSquares = 0;  //!< sum over the strata of S4 - S2^2 / n
        double largest = 0;            //!< the largest single history's contribution
        std::int64_t hits = 0;
    };
    std::array<Open, QUANTITY_COUNT> m_open{};
    std::array<Closed, QUANTITY_COUNT> m_closed{};
    std::int64_t m_batches = 0;           //!< closed batches of the open stratum
    std::int64_t m_batchedHistories = 0;  //!< their histories
};

//! One history's contributions gathered over its collisions (the next-event
//! estimator scores at several), handed to the moments when it ends.
class HistoryContributions {
public:
    void add(int q, double contribution) {
        const std::size_t i = static_cast<std::size_t>(q);
        if (!m_reached[i]) {
            m_reached[i] = true;
            m_touched[static_cast<std::size_t>(m_touchedCount++)] = q;
        }
        m_values[i] += contribution;
    }
    //! Adds the history's total of every quantity it reached, and starts anew.
    void endHistory(KermaMoments* moments) {
        for (int n = 0; n < m_touchedCount; ++n) {
            const std::size_t q = static_cast<std::size_t>(m_touched[static_cast<std::size_t>(n)]);
            if (moments) moments->add(static_cast<int>(q), m_values[q]);
            m_values[q] = 0.0;
            m_reached[q] = false;
        }
        m_touchedCount = 0;
    }

private:
    std::array<double, KermaMoments::QUANTITY_COUNT> m_values{};
    std::array<bool, KermaMoments::QUANTITY_COUNT> m_reached{};  //!< listed in m_touched
    std::array<int, KermaMoments::QUANTITY_COUNT> m_touched{};
    int m_touchedCount = 0;
};

}  // namespace korvana::engine
