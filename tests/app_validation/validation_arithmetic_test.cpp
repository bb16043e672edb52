// The validation report's arithmetic on small cases worked out by hand: z of
// two independent estimates, z pooled over the grid, the air-kerma
// weighting of a conversion coefficient over a spectrum, and a lead sheet's
// transmission of a spectrum's air kerma.
#include <gtest/gtest.h>

#include <cmath>

#include "app/validation/beam_average.h"
#include "app/validation/kerma_comparison.h"
#include "app/validation/shield_transmission.h"

namespace korvana::validation {
namespace {

KermaUncertainty tally(double kerma, double relErr) {
    KermaUncertainty t;
    t.airKermaRatio = kerma;
    if (kerma > 0.0) {
        t.relStdError = relErr;
    }
    return t;
}

TEST(ValidationArithmetic, ZUsesTheCombinedAbsoluteErrors) {
    // 1.00 +- 0.030 against 1.04 +- 0.0416: combined 0.05129, z = 0.04 / 0.05129.
    const TallyComparison t = compareTally(tally(1.0, 0.03), tally(1.04, 0.04));
    ASSERT_TRUE(t.z && t.ratio && t.combinedRelErr);
    EXPECT_NEAR(*t.z, 0.7799, 1e-4);
    EXPECT_NEAR(*t.ratio, 1.04, 1e-12);
    EXPECT_NEAR(*t.combinedRelErr, 0.05129, 1e-5);

    const TallyComparison none = compareTally(tally(0.0, 0.0), tally(1.0, 0.1));
    EXPECT_FALSE(none.z);
    EXPECT_FALSE(none.ratio);
    EXPECT_FALSE(compareTally(tally(1.0, 0.1), tally(0.0, 0.0)).z);
}

TEST(ValidationArithmetic, PooledZOverCellsWithKermaInBothRuns) {
    UncertaintyTable a;
    UncertaintyTable b;
    a.grid[0][0] = tally(1.0, 0.1);  // z = +3.5: 1.35 +- 0 against 1 +- 0.1
    b.grid[0][0] = tally(1.35, 0.0);
    a.grid[3][7] = tally(2.0, 0.05);  // z = -1: 1.9 +- 0 against 2 +- 0.1
    b.grid[3][7] = tally(1.9, 0.0);
    b.grid[3][7].fewHistories = true;
    a.grid[5][5] = tally(1.0, 0.1);  // 0 in b: not compared
    const PooledZ p = pooledGridZ(a, b);
    EXPECT_EQ(p.cells, 2);
    EXPECT_NEAR(p.rmsZ, std::sqrt((3.5 * 3.5 + 1.0) / 2.0), 1e-9);
    EXPECT_NEAR(p.meanZ, 1.25, 1e-9);
    EXPECT_EQ(p.beyond3Sigma, 1);
    EXPECT_NEAR(p.largestAbsZ, 3.5, 1e-9);
    EXPECT_EQ(p.fewHistories, 1);
}

TEST(ValidationArithmetic, ConversionIsWeightedByAirKerma) {
    // Equal photon numbers at 20 and 60 keV; the 20 keV photons carry twice
    // the kerma: h = (2 x 1 + 1 x 2) / (2 + 1) = 4/3, not the photons' mean 1.5.
    GridTable fluence{};
    fluence[40] = 1.0f;
    fluence[120] = 1.0f;
    app::ConversionTable table;
    table.kermaCoefficient[40] = 2.0;
    table.doseCoefficient3mm[40] = 2.0;  // h = 1
    table.kermaCoefficient[120] = 1.0;
    table.doseCoefficient3mm[120] = 2.0;  // h = 2
    EXPECT_NEAR(kermaWeightedConversion(fluence, table), 4.0 / 3.0, 1e-12);
    EXPECT_NEAR(fluenceWeightedConversion(fluence, table), 1.5, 1e-12);
    EXPECT_NEAR(meanEnergyKev(fluence), 40.0, 1e-12);
    EXPECT_EQ(kermaWeightedConversion(GridTable{}, table), 0.0);
}

TEST(ValidationArithmetic, LeadTransmissionIsWeightedByAirKerma) {
    // One photon each in the score bins 40 (19.5-20 keV) and 120 (59.5-60
    // keV), taken at their centres 19.75 and 59.75 keV, where a table's value
    // is the mean of its rows 39/40 and 119/120. The first photon carries 6
    // units of kerma, the second 2. 1 mm of lead passes 1/10 of the first and
    // 1/2 of the second: (6 x 0.1 + 2 x 0.5) / 8 = 0.2, not the photons' mean
    // 0.3, nor what the bins' upper edges would give. At twice the path:
    // (6 x 0.01 + 2 x 0.25) / 8.
    app::BinValues photons{};
    photons[40] = 1.0;
    photons[120] = 1.0;
    GridTable air{};
    air[39] = air[40] = static_cast<float>(6.0 / 19.75);
    air[119] = air[120] = static_cast<float>(2.0 / 59.75);
    GridTable lead{};
    const double spread = 3.0;  // the rows differ; their mean is what counts
    lead[39] = static_cast<float>(std::log(10.0) / 0.1 - spread);
    lead[40] = static_cast<float>(std::log(10.0) / 0.1 + spread);
    lead[119] = static_cast<float>(std::log(2.0) / 0.1 + spread);
    lead[120] = static_cast<float>(std::log(2.0) / 0.1 - spread);
    EXPECT_NEAR(kermaWeightedTransmission(photons, air, lead, 0.1), 0.2, 1e-6);
    EXPECT_NEAR(kermaWeightedTransmission(photons, air, lead, 0.1, 2.0), 0.07, 1e-6);
    const std::optional<double> s = equivalentPathFactor(photons, air, lead, 0.1, 0.07);
    ASSERT_TRUE(s);
    EXPECT_NEAR(*s, 2.0, 1e-4);
    EXPECT_FALSE(equivalentPathFactor(photons, air, lead, 0.1, 0.25));  // above normal incidence
    EXPECT_EQ(kermaWeightedTransmission(app::BinValues{}, air, lead, 0.1), 0.0);
}

}  // namespace
}  // namespace korvana::validation
