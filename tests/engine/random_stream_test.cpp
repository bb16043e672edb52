#include "engine/transport/random_stream.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/constants.h"

namespace korvana::engine {
namespace {

TEST(EngineConstants, PiIsTheDeliberatelyShortValue) {
    EXPECT_EQ(PI, 3.141592f);
    EXPECT_NE(PI, static_cast<float>(3.14159265358979));
    EXPECT_EQ(static_cast<double>(PI), 3.1415920257568359375);
    EXPECT_EQ(static_cast<double>(RandomStream::DIVISOR), 16384.099609375);
}

// Integers derived by hand from the definition: IX(1) = 3783,
// IX(i) = (2 IX(i-1) + i) mod 16384, J = 24, K = 55, 1000 discarded steps.
// The first step of a fresh table is (IX(24) + IX(55)) mod 16384 =
// (16358 + 16327) mod 16384 = 16301; after the warm-up the stream goes on with
// 11314, 1077, 7144, 4623, 8326, 12357, 12982, 4917.
TEST(RandomStream, FirstDrawsAfterWarmUp) {
    RandomStream stream = RandomStream::withFixedSeed();
    for (int expected : {11314, 1077, 7144, 4623, 8326, 12357, 12982, 4917}) {
        EXPECT_EQ(stream.next(), static_cast<float>(expected) / 16384.1f);
    }
}

TEST(RandomStream, TheFixedSeedRestartsTheSameSequence) {
    RandomStream a = RandomStream::withFixedSeed();
    for (int i = 0; i < 5000; ++i) a.next();
    a = RandomStream::withFixedSeed();
    RandomStream b = RandomStream::withFixedSeed();
    for (int i = 0; i < 100; ++i) ASSERT_EQ(a.next(), b.next()) << "draw " << i;
}

TEST(RandomStream, ValuesStayBelowOneOnTheFourteenBitLattice) {
    RandomStream stream = RandomStream::withFixedSeed();
    std::set<float> distinct;
    for (int i = 0; i < 2'000'000; ++i) {
        const float r = stream.next();
        ASSERT_GE(r, 0.0f);
        ASSERT_LE(r, 16383.0f / 16384.1f);
        distinct.insert(r);
    }
    EXPECT_LE(distinct.size(), 16384u);
    EXPECT_GT(distinct.size(), 16000u);  // the generator visits nearly the whole lattice
    EXPECT_TRUE(distinct.count(0.0f)) << "0 can occur and must be redrawn by the flight step";
}

TEST(RandomStream, MeanIsAHalf) {
    RandomStream stream = RandomStream::withFixedSeed();
    double sum = 0;
    const int n = 1'000'000;
    for (int i = 0; i < n; ++i) sum += stream.next();
    EXPECT_NEAR(sum / n, 0.5, 0.002);
}

}  // namespace
}  // namespace korvana::engine
