#include "engine/inputs/beam.h"

#include <gtest/gtest.h>

#include "common/data_error.h"
#include "engine/transport/grid_lookup.h"

namespace korvana::engine {
namespace {

GridTable ramp() {
    GridTable t{};
    for (int i = 1; i <= GRID_BINS; ++i) t[i] = static_cast<float>(i) * 0.25f + 1.0f;
    return t;
}

TEST(GridValue, ExactOnGridEnergiesAndLinearBetween) {
    GridTable t{};
    t[20] = 4.0f;
    t[21] = 8.0f;
    EXPECT_EQ(gridValue(t, 10.0f), 4.0f);
    EXPECT_EQ(gridValue(t, 10.25f), 6.0f);
    EXPECT_FLOAT_EQ(gridValue(t, 10.49f), 4.0f + 0.98f * 4.0f);
    const GridTable r = ramp();
    for (int i = 1; i <= GRID_BINS; ++i) {
        ASSERT_EQ(gridValue(r, static_cast<float>(i) * 0.5f), r[i]) << "bin " << i;
    }
}

TEST(GridValue, From150KeVUpUsesTheLastRow) {
    const GridTable r = ramp();
    EXPECT_EQ(gridValue(r, 150.0f), r[300]);
    EXPECT_EQ(gridValue(r, 151.0f), r[300]);
    EXPECT_FLOAT_EQ(gridValue(r, 149.75f), (r[299] + r[300]) / 2);
}

TEST(EnergyBin, HoldsTheHalfOpenIntervalBelowItsLabel) {
    EXPECT_EQ(energyBin(30.0f), 61);  // an unchanged 30 keV photon counts on the 30.5 keV line
    EXPECT_EQ(energyBin(30.49f), 61);
    EXPECT_EQ(energyBin(29.99f), 60);
    EXPECT_EQ(energyBin(5.0f), 11);
    EXPECT_EQ(energyBin(149.9f), 300);
    EXPECT_EQ(energyBin(150.0f), 300);
}

TEST(PrepareSpectrum, TopBinPeakAndNormalisation) {
    GridTable s{};
    for (int i = 5; i <= 241; ++i) s[i] = 0.5f;
    s[40] = 1.0f;
    s[60] = 1.0f;
    const PreparedSpectrum p = prepareSpectrum(s, "B_SPCTL.dat");
    EXPECT_EQ(p.topBin, 241);
    EXPECT_EQ(p.peakBin, 40);
    EXPECT_EQ(p.peakValue, 1.0f);
    float expectedSum = 0;
    for (int i = 1; i <= GRID_BINS; ++i) expectedSum += s[i];
    EXPECT_EQ(p.sum, expectedSum);
    EXPECT_EQ(p.normalised[40], 1.0f / expectedSum);
    EXPECT_EQ(p.normalised[5], 0.5f / expectedSum);  // bins below 10 stay in the sum
    EXPECT_EQ(p.normalised[242], 0.0f);
}

TEST(PrepareSpectrum, RefusesASpectrumWithoutPhotons) {
    GridTable zero{};
    EXPECT_THROW(prepareSpectrum(zero, "B_SPCTL.dat"), DataError);
    GridTable negative{};
    negative[50] = 1.0f;
    negative[51] = -0.1f;
    try {
        prepareSpectrum(negative, "B_SPCTL.dat");
        FAIL();
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().line, 51);
    }
}

TEST(BinPhotonCount, TruncatesTowardZero) {
    PreparedSpectrum p;
    p.normalised[20] = 0.25f;
    EXPECT_EQ(binPhotonCount(p, 20, 1.6f), 0);   // 0.4 photons
    EXPECT_EQ(binPhotonCount(p, 20, 7.96f), 1);  // 1.99 photons
    EXPECT_EQ(binPhotonCount(p, 20, 4.0e9f), 1'000'000'000);
}

TEST(PrimaryKerma, SumsFromBinTenWithUntruncatedCounts) {
    PreparedSpectrum p;
    p.normalised[5] = 0.5f;  // below 5 keV: never simulated, not in the kerma
    p.normalised[100] = 0.5f;
    GridTable air{};
    air.fill(2.0f);
    RunParameters run;
    run.historyCount = 3.0f;
    run.fieldSizeX = 2.0f;
    run.fieldSizeY = 5.0f;
    // 2 x 0.5 x 100 x 3 x 0.5 / (2 x 5)
    EXPECT_FLOAT_EQ(primaryKerma(p, air, run), 15.0f);
}

}  // namespace
}  // namespace korvana::engine
