#include "engine/tallies/scores.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "engine/tallies/analog_tally.h"
#include "engine/transport/grid_lookup.h"
#include "engine/transport/literal_physics.h"

namespace korvana::engine {
namespace {

GridTable constant(float value) {
    GridTable t{};
    t.fill(value);
    return t;
}

//! A scattered photon at (x, y, z) heading to the point (tx, ty, tz).
Photon towards(float x, float y, float z, float tx, float ty, float tz, float energy) {
    const double dx = tx - x, dy = ty - y, dz = tz - z;
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double rho = std::sqrt(dx * dx + dy * dy);
    Photon p;
    p.x = x;
    p.y = y;
    p.z = z;
    p.cosTheta = static_cast<float>(dz / length);
    p.sinTheta = static_cast<float>(rho / length);
    p.cosPhi = static_cast<float>(dx / rho);
    p.sinPhi = static_cast<float>(dy / rho);
    p.energy = energy;
    p.scattered = true;
    return p;
}

class ScoreEscapeTest : public ::testing::Test {
protected:
    GridTable air = constant(2.0f);
    GridTable lead = constant(10.0f);
    ScoringContext open{air, Scene{LeadCurtain{-1000.0f, 0.035f}, {}, &lead}};
    std::unique_ptr<Scores> scores = std::make_unique<Scores>();

    void score(const Photon& p) {
        // The tentative point: 1 cm along the flight.
        scoreEscape(*scores, open, p, p.x + p.u(), p.y + p.v(), p.z + p.w());
    }
};

TEST_F(ScoreEscapeTest, AFlightThroughAPointScoresThereWithItsKerma) {
    const Photon p = towards(0, 0, 10, 100, 0, 100, 40.0f);  // through the 45 degree point
    score(p);
    EXPECT_EQ(scores->pointSpectrum[2][energyBin(40.0f)], 1.0f);
    EXPECT_EQ(scores->pointSpectrum[2][81], 1.0f);
    // E muen T / sdir with sdir the x-y share of the flight.
    const float sdir = p.sinTheta;
    EXPECT_NEAR(scores->pointKerma[2], 40.0f * 2.0f / sdir, 1e-3f);
    for (int j : {1, 3, 4, 5, 6, 7, 8, 9}) EXPECT_EQ(scores->pointKerma[j], 0.0f) << j;
}

//! A scattered photon at (0, y, 0) flying along +x, parallel to the entrance surface.
Photon alongX(float y) {
    Photon p;
    p.y = y;
    p.cosTheta = 0.0f;
    p.sinTheta = 1.0f;
    p.energy = 30.0f;
    p.scattered = true;
    return p;
}

TEST_F(ScoreEscapeTest, DiscRimsBelongToTheDiscs) {
    score(alongX(5.0f));  // crosses x = 100 at the 90 degree point's rim
    EXPECT_EQ(scores->pointSpectrum[5][61], 1.0f);
    score(alongX(5.01f));
    EXPECT_EQ(scores->pointSpectrum[5][61], 1.0f) << "a crossing beyond the rim does not score";

    auto grid = std::make_unique<Scores>();
    scoreEscape(*grid, open, alongX(2.0f), 1.0f, 2.0f, 0.0f);  // |y| = 2: every column, row z = 0
    auto outside = std::make_unique<Scores>();
    scoreEscape(*outside, open, alongX(-2.01f), 1.0f, -2.01f, 0.0f);
    for (int i = 1; i <= GRID_COLUMNS; ++i) {
        EXPECT_EQ(grid->gridKerma[i][21], 30.0f * 2.0f) << "column " << i;
        EXPECT_EQ(grid->gridKerma[i][20], 0.0f) << "rows 5 cm apart do not overlap";
        EXPECT_EQ(outside->gridKerma[i][21], 0.0f);
    }
}

TEST_F(ScoreEscapeTest, CurtainAttenuatesOnlyCoveredCrossings) {
    ScoringContext covered{air, Scene{LeadCurtain{0.0f, 0.035f}, {}, &lead}};  // covers z <= 0
    auto low = std::make_unique<Scores>();
    auto high = std::make_unique<Scores>();
    // Crosses x = 20 at z = -20 (covered) on its way to the 135 degree point.
    scoreEscape(*low, covered, towards(0, 0, 0, 100, 0, -100, 30.0f), 1, 0, -1);
    // Crosses x = 20 at z = 20 (open) on its way to the 45 degree point.
    scoreEscape(*high, covered, towards(0, 0, 0, 100, 0, 100, 30.0f), 1, 0, 1);
    const float cosObl = 20.0f / std::sqrt(400.0f + 400.0f);
    EXPECT_NEAR(low->pointSpectrum[8][61], std::exp(-0.035f * 10.0f / cosObl), 1e-6f);
    EXPECT_EQ(high->pointSpectrum[2][61], 1.0f);
}

TEST_F(ScoreEscapeTest, FastScoringMatchesTheReferenceBitForBit) {
    GridTable rising{};
    for (int i = 1; i <= GRID_BINS; ++i) rising[i] = 1.0f / static_cast<float>(i);
    ScoringContext context{rising, Scene{LeadCurtain{-30.0f, 0.05f}, {}, &rising}};
    auto reference = std::make_unique<Scores>();
    auto fast = std::make_unique<Scores>();
    AnalogTally nearest(context, DiscSearch::NearestRows);
    SequencePosition unused = SequencePosition::forBlock(0, 10, 0);
    nearest.open(TallyTarget{fast.get(), nullptr}, unused);
    RandomStream stream = RandomStream::withFixedSeed();
    for (int i = 0; i < 200000; ++i) {
        // Start points inside a 30 x 40 x 20 object, targets across the scoring area.
        const float x = 30.0f * stream.next() - 15.0f, y = 40.0f * stream.next() - 20.0f;
        const float z = 20.0f * stream.next();
        const float tx = 50.0f + 100.0f * stream.next(), ty = 6.0f * stream.next() - 3.0f;
        const float tz = -190.0f + 380.0f * stream.next();
        const Photon p = towards(x, y, z, tx, ty, tz, 5.0f + 145.0f * stream.next());
        const float s = 0.5f + 20.0f * stream.next();  // flights have a length
        const float x1 = p.x + s * p.u(), y1 = p.y + s * p.v(), z1 = p.z + s * p.w();
        scoreEscape(*reference, context, p, x1, y1, z1);
        nearest.escape(p, x1, y1, z1);
    }
    EXPECT_EQ(std::memcmp(reference.get(), fast.get(), sizeof(Scores)), 0);
    float gridTotal = 0;
    for (const auto& column : reference->gridKerma) {
        for (float v : column) gridTotal += v;
    }
    EXPECT_GT(gridTotal, 0.0f);
    EXPECT_GT(reference->scoredEscapes, 0);
}

}  // namespace
}  // namespace korvana::engine
