#include "hvl/hvl_calculation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/data_error.h"

namespace korvana::hvl {
namespace {

// mu proportional to 1/E: a power law, so the log-log interpolation of the
// effective energy is exact, and every HVL of interest stays inside 3 cm.
GridTable powerLawAluminium() {
    GridTable mu{};
    for (int i = 1; i <= GRID_BINS; ++i) mu[i] = 300.0f / static_cast<float>(i);
    return mu;
}

GridTable constantTable(float value) {
    GridTable t{};
    for (int i = 1; i <= GRID_BINS; ++i) t[i] = value;
    return t;
}

GridTable singleBin(int bin, float value = 1.0f) {
    GridTable s{};
    s[bin] = value;
    return s;
}

class SingleBinSpectrum : public ::testing::TestWithParam<int> {};

TEST_P(SingleBinSpectrum, HvlIsLn2OverMuAndBothEffectiveEnergiesAreTheBin) {
    const int bin = GetParam();
    const GridTable aluminium = powerLawAluminium();
    const HvlResult r = computeHvl(singleBin(bin), aluminium, constantTable(1.0f));
    const double mu = aluminium[bin];
    // One exponential: the log-linear interpolation is exact up to float rounding.
    EXPECT_NEAR(r.firstHvlCm, std::log(2.0) / mu, 2e-4 * std::log(2.0) / mu);
    EXPECT_NEAR(r.secondHvlCm, r.firstHvlCm, 4e-4 * r.firstHvlCm);
    EXPECT_NEAR(r.firstEffectiveEnergyKev, 0.5 * bin, 1e-3 * 0.5 * bin);
    EXPECT_NEAR(r.secondEffectiveEnergyKev, 0.5 * bin, 1e-3 * 0.5 * bin);
}

// Bin 11 has transmission(2) above 50 %; bin 299 is the hardest line of the grid.
INSTANTIATE_TEST_SUITE_P(Bins, SingleBinSpectrum, ::testing::Values(11, 40, 72, 150, 299));

TEST(KermaTransmission, SingleBinFollowsOneExponential) {
    const GridTable aluminium = powerLawAluminium();
    const TransmissionCurve t = kermaTransmission(singleBin(60), aluminium, constantTable(1.0f));
    for (int j : {1, 2, 50, 300}) {
        EXPECT_NEAR(t[j], 100.0 * std::exp(-aluminium[60] * 0.01 * j), 1e-4 * t[j]) << j;
    }
}

TEST(KermaTransmission, BinsOneToTenDoNotChangeTheHvl) {
    const GridTable aluminium = powerLawAluminium();
    const GridTable air = constantTable(2.0f);
    GridTable spectrum{};
    for (int i = 11; i <= 160; ++i) spectrum[i] = static_cast<float>(160 - i) / 160.0f;
    GridTable withLowBins = spectrum;
    for (int i = 1; i <= 10; ++i) withLowBins[i] = 50.0f;
    const HvlResult a = computeHvl(spectrum, aluminium, air);
    const HvlResult b = computeHvl(withLowBins, aluminium, air);
    EXPECT_EQ(a.firstHvlCm, b.firstHvlCm);
    EXPECT_EQ(a.secondHvlCm, b.secondHvlCm);
    EXPECT_EQ(a.firstEffectiveEnergyKev, b.firstEffectiveEnergyKev);
    EXPECT_EQ(a.secondEffectiveEnergyKev, b.secondEffectiveEnergyKev);
    // Bins 2 to 10 count in the fluence, bin 1 does not.
    EXPECT_NE(a.fluencePerExposure, b.fluencePerExposure);
    GridTable withBinOne = spectrum;
    withBinOne[1] = 50.0f;
    EXPECT_EQ(fluencePerExposure(spectrum, air), fluencePerExposure(withBinOne, air));
}

TEST(KermaTransmission, MixedBeamHardensWithDepth) {
    // Two lines: the soft one is filtered out first, so the second HVL is larger
    // and both lie between the lines' own HVLs.
    const GridTable aluminium = powerLawAluminium();
    GridTable spectrum{};
    spectrum[40] = 1.0f;
    spectrum[200] = 0.2f;
    const HvlResult r = computeHvl(spectrum, aluminium, constantTable(1.0f));
    const float softHvl = std::log(2.0f) / aluminium[40];
    const float hardHvl = std::log(2.0f) / aluminium[200];
    EXPECT_GT(r.firstHvlCm, softHvl);
    EXPECT_LT(r.firstHvlCm, hardHvl);
    EXPECT_GT(r.secondHvlCm, r.firstHvlCm);
    EXPECT_GT(r.secondEffectiveEnergyKev, r.firstEffectiveEnergyKev);
}

TEST(ThicknessAtLevel, BelowTheLevelAtStepTwoExtrapolatesFromStepsOneAndTwo) {
    // mu = 50 /cm: 60.7 % behind step 1, 36.8 % behind step 2.
    GridTable aluminium = constantTable(50.0f);
    const TransmissionCurve t = kermaTransmission(singleBin(40), aluminium, constantTable(1.0f));
    ASSERT_LT(t[2], 50.0f);
    EXPECT_NEAR(thicknessAtLevel(t, 50.0f), std::log(2.0) / 50.0, 1e-6);
}

TEST(ThicknessAtLevel, TransmissionAboveTheLevelToThreeCentimetresIsAnError) {
    // mu = 0.3 /cm leaves 41 % behind 3 cm: no quarter-value layer inside the table.
    const TransmissionCurve t =
        kermaTransmission(singleBin(100), constantTable(0.3f), constantTable(1.0f));
    EXPECT_NO_THROW(thicknessAtLevel(t, 50.0f));
    EXPECT_THROW(thicknessAtLevel(t, 25.0f), DataError);
    EXPECT_THROW(computeHvl(singleBin(100), constantTable(0.3f), constantTable(1.0f)), DataError);
}

TEST(EffectiveEnergy, NoBinBelowMuIsAnError) {
    const GridTable aluminium = constantTable(5.0f);
    // ln 2 / 0.1 cm = 6.9 /cm: every bin's 5 /cm is below it, the first from bin 2 is taken.
    EXPECT_NO_THROW(effectiveEnergy(0.1f, aluminium));
    // ln 2 / 0.5 cm = 1.4 /cm: no bin is below it.
    EXPECT_THROW(effectiveEnergy(0.5f, aluminium), DataError);
    EXPECT_THROW(effectiveEnergy(0.0f, aluminium), DataError);
    EXPECT_THROW(effectiveEnergy(-0.1f, aluminium), DataError);
}

TEST(Spectrum, WithoutNonZeroBinOrKermaIsRefused) {
    const GridTable aluminium = powerLawAluminium();
    EXPECT_THROW(lastNonZeroBin(GridTable{}), DataError);
    EXPECT_EQ(lastNonZeroBin(singleBin(241)), 241);
    // Only bins up to 10: no kerma weight to normalise.
    EXPECT_THROW(kermaTransmission(singleBin(10), aluminium, constantTable(1.0f)), DataError);
    EXPECT_THROW(fluencePerExposure(singleBin(1), constantTable(1.0f)), DataError);
}

TEST(FluencePerExposure, IsPhotonsPerMm2ForOneCoulombPerKilogram) {
    // One bin of 30 keV with mu_en/rho 2 cm^2/g, in the calculator's own float order.
    const float kerma = 2.0f * 1.0f * 60.0f * 8.01e-10f;
    const float expected = (3876.0f / (kerma / 86.9f)) * 1.0f * 0.01f;
    EXPECT_FLOAT_EQ(fluencePerExposure(singleBin(60), constantTable(2.0f)), expected);
    // The spectrum's scale cancels.
    EXPECT_FLOAT_EQ(fluencePerExposure(singleBin(60, 0.25f), constantTable(2.0f)), expected);
}

}  // namespace
}  // namespace korvana::hvl
