// The per-history moments of a tally: the error, the variance of the
// variance and the largest history's share, against direct computations.
#include "engine/tallies/kerma_moments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace korvana::engine {
namespace {

constexpr int Q = KermaMoments::pointIndex(5);

//! One stratum of `histories`, of which those in `contributions` reached the tally.
KermaMoments oneStratum(const std::vector<double>& contributions, std::int64_t histories) {
    KermaMoments m;
    for (double x : contributions) m.add(Q, x);
    m.closeStratum(histories);
    return m;
}

TEST(KermaMoments, ErrorAndVarianceOfVarianceOfASmallSample) {
    const std::vector<double> reached = {1.0, 2.0, 3.0, 4.0, 10.0};
    const int histories = 8;  // three histories contributed nothing
    std::vector<double> all = reached;
    all.resize(histories, 0.0);
    double mean = 0;
    for (double x : all) mean += x / histories;
    double s2 = 0, s4 = 0;
    for (double x : all) {
        s2 += std::pow(x - mean, 2);
        s4 += std::pow(x - mean, 4);
    }
    const KermaMoments m = oneStratum(reached, histories);
    EXPECT_DOUBLE_EQ(m.total(Q), 20.0);
    EXPECT_EQ(m.contributingHistories(Q), 5);
    // n s^2 with the sample variance s^2 = S2 / (n - 1).
    EXPECT_NEAR(m.relativeError(Q), std::sqrt(histories * s2 / (histories - 1)) / 20.0, 1e-12);
    EXPECT_NEAR(m.varianceOfVariance(Q), s4 / (s2 * s2) - 1.0 / histories, 1e-12);
    EXPECT_DOUBLE_EQ(m.largestShare(Q), 0.5);
}

TEST(KermaMoments, StrataAddTheirVariancesWhateverTheOrderOfMerging) {
    KermaMoments sequential;
    for (double x : {1.0, 3.0}) sequential.add(Q, x);
    sequential.closeStratum(4);
    for (double x : {2.0, 2.0, 9.0}) sequential.add(Q, x);
    sequential.closeStratum(3);

    KermaMoments merged = oneStratum({1.0, 3.0}, 4);
    merged.merge(oneStratum({2.0, 2.0, 9.0}, 3));
    EXPECT_DOUBLE_EQ(merged.total(Q), sequential.total(Q));
    EXPECT_DOUBLE_EQ(merged.relativeError(Q), sequential.relativeError(Q));
    EXPECT_DOUBLE_EQ(merged.varianceOfVariance(Q), sequential.varianceOfVariance(Q));
    EXPECT_DOUBLE_EQ(merged.largestShare(Q), 9.0 / 17.0);
    // n s^2 = n S2 / (n - 1) of each stratum, zeros for the histories that did not contribute.
    const auto centralSquares = [](const std::vector<double>& values) {
        double mean = 0, sum = 0;
        for (double x : values) mean += x / static_cast<double>(values.size());
        for (double x : values) sum += (x - mean) * (x - mean);
        return sum;
    };
    const double first = centralSquares({1.0, 3.0, 0.0, 0.0});
    const double second = centralSquares({2.0, 2.0, 9.0});
    EXPECT_NEAR(merged.relativeError(Q), std::sqrt(4.0 / 3 * first + 3.0 / 2 * second) / 17.0,
                1e-12);
}

TEST(KermaMoments, BatchesGiveTheErrorOfTheirTotalsNotOfTheirHistories) {
    // Four batches of two histories whose totals are all 3: the histories
    // scatter, the batches do not.
    KermaMoments batched;
    for (const auto& [first, second] : {std::pair{3.0, 0.0}, {0.0, 3.0}, {1.0, 2.0}, {2.0, 1.0}}) {
        if (first > 0) batched.add(Q, first);
        if (second > 0) batched.add(Q, second);
        batched.closeBatch(2);
    }
    batched.closeStratum(8);
    EXPECT_DOUBLE_EQ(batched.total(Q), 12.0);
    EXPECT_DOUBLE_EQ(batched.relativeError(Q), 0.0);
    EXPECT_GT(batched.varianceOfVariance(Q), 0.0);  // still the histories' own

    // Five batches of one history, and the three histories after the last
    // closed batch as a sixth of total 0: m = 6 batches of n = 8 histories,
    // sum T^2 / h = 130, sum T = 20; n s^2 = 8 (130 - 20^2 / 8) / 5 = 128.
    KermaMoments single;
    for (double x : {1.0, 2.0, 3.0, 4.0, 10.0}) {
        single.add(Q, x);
        single.closeBatch(1);
    }
    single.closeStratum(8);
    EXPECT_NEAR(single.relativeError(Q), std::sqrt(128.0) / 20.0, 1e-12);
}

TEST(HistoryContributions, AHistoryCountsOnceWhateverItsCollisionsAdd) {
    HistoryContributions history;
    KermaMoments m;
    // Collisions that add nothing still make the history one that reached the tally.
    history.add(Q, 0.0);
    history.add(Q, 0.0);
    history.endHistory(&m);
    history.add(Q, 1.5);
    history.add(Q, 2.5);
    history.endHistory(&m);
    history.endHistory(&m);  // a history that reached nothing adds nothing
    m.closeStratum(3);
    EXPECT_EQ(m.contributingHistories(Q), 2);
    EXPECT_DOUBLE_EQ(m.total(Q), 4.0);
    EXPECT_DOUBLE_EQ(m.largestShare(Q), 1.0);
}

TEST(KermaMoments, ATallyOfOneHistoryIsUnstableAndAnHonestOneIsNot) {
    std::vector<double> dominated(2000, 1e-3);
    dominated.push_back(50.0);  // one history holds almost the whole tally
    const KermaMoments bad = oneStratum(dominated, 100000);
    EXPECT_TRUE(bad.unstable(Q));
    EXPECT_GT(bad.varianceOfVariance(Q), 0.9);

    // Many histories of comparable size: a low VOV and no dominant history.
    std::vector<double> honest;
    for (int n = 1; n <= 20000; ++n) honest.push_back(-std::log((n - 0.5) / 20000.0));
    const KermaMoments good = oneStratum(honest, 50000);
    EXPECT_FALSE(good.unstable(Q));
    EXPECT_LT(good.varianceOfVariance(Q), 1e-3);

    // Ten histories of equal size: each holds a tenth, not more.
    EXPECT_FALSE(oneStratum(std::vector<double>(10, 2.0), 10).unstable(Q));
    EXPECT_TRUE(oneStratum(std::vector<double>(9, 2.0), 1000).unstable(Q));
    EXPECT_FALSE(KermaMoments().unstable(Q));  // nothing scored: no error to judge
}

}  // namespace
}  // namespace korvana::engine
