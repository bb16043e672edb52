#include "app/spectrum/spectrum_generator.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/spectrum/constants.h"
#include "common/data_error.h"

namespace korvana::app {
namespace {

// Smooth synthetic coefficients, mu falling as 1/E^2, so that every effect
// below can be told apart from a table's edges.
AttenuationTable falling(double muAtOneKev) {
    AttenuationTable t{};
    for (int i = 1; i <= GRID_BINS; ++i) {
        const double e = 0.5 * i;
        t[i] = muAtOneKev / (e * e);
    }
    return t;
}

MaterialTables syntheticTables() {
    MaterialTables tables;
    tables.tungstenAttenuation = falling(2.0e4);
    tables.aluminiumAttenuation = falling(1.0e3);
    tables.copperAttenuation = falling(1.0e4);
    tables.leadAttenuationGui = falling(3.0e4);
    return tables;
}

IrradiationConditions conditions(double kv, RectificationMode mode) {
    IrradiationConditions c;
    c.tubeVoltageKv = kv;
    c.targetAngleDeg = 12.0;
    c.inherentFiltrationCm = 0.25;
    c.addedAluminiumCm = 0.15;
    c.addedCopperCm = 0.0;
    c.rectification = mode;
    return c;
}

// Relative agreement for sums of the same terms taken in another order.
void expectSpectraNear(const SpectrumArray& a, const SpectrumArray& b) {
    for (int i = 1; i <= GRID_BINS; ++i) {
        EXPECT_NEAR(a[i], b[i], 1e-12 * std::fabs(b[i]) + 1e-300) << "bin " << i;
    }
}

TEST(PhaseAngles, OnePhaseSixteenAndFortyFive) {
    const std::vector<int> constant = phaseAnglesDeg(RectificationMode::ConstantPotential);
    const std::vector<int> three = phaseAnglesDeg(RectificationMode::ThreePhase12Peak);
    const std::vector<int> single = phaseAnglesDeg(RectificationMode::SinglePhaseFullWave);
    EXPECT_EQ(constant, std::vector<int>{90});
    ASSERT_EQ(three.size(), 16u);
    EXPECT_EQ(three.front(), 75);
    EXPECT_EQ(three.back(), 90);
    ASSERT_EQ(single.size(), 45u);
    EXPECT_EQ(single.front(), 2);
    EXPECT_EQ(single[1], 4);
    EXPECT_EQ(single.back(), 90);
}

TEST(PhaseCurrentWeight, SinglePhaseCurrentRisesToFullAtSineThreeQuarters) {
    const auto single = RectificationMode::SinglePhaseFullWave;
    EXPECT_DOUBLE_EQ(phaseCurrentWeight(single, 0.375), std::pow(0.5, 1.5));
    EXPECT_DOUBLE_EQ(phaseCurrentWeight(single, 0.75), 1.0);
    EXPECT_DOUBLE_EQ(phaseCurrentWeight(single, 0.9), 1.0);
    EXPECT_DOUBLE_EQ(phaseCurrentWeight(single, 0.0), 0.0);
    EXPECT_EQ(phaseCurrentWeight(RectificationMode::ThreePhase12Peak, 0.1), 1.0);
    EXPECT_EQ(phaseCurrentWeight(RectificationMode::ConstantPotential, 0.1), 1.0);
}

TEST(ModelConstants, ShortPiAndTheKLineShares) {
    EXPECT_EQ(PI_SHORT, 3.14159);
    double shares = 0.0;
    for (const KLine& line : K_LINES) shares += line.share;
    EXPECT_NEAR(shares, 1.0, 1e-15);
    // The K percentage starts near zero just above 70 kV and grows continuously.
    EXPECT_EQ(characteristicPercent(70.0), 0.0);
    EXPECT_NEAR(characteristicPercent(70.0001), 0.0, 1e-4);
    EXPECT_LT(characteristicPercent(80.0), characteristicPercent(100.0));
    EXPECT_NEAR(thomsonWhiddingtonConstant(0.0), 141766.0, 0.0);
}

TEST(ComputePhaseSpectrum, WritesBinsTwoToTwiceTheVoltageOnly) {
    const MaterialTables tables = syntheticTables();
    SpectrumArray phase{};
    phase.fill(-1.0);
    EXPECT_EQ(computePhaseSpectrum(50.0, 1.0, tables.tungstenAttenuation, phase), 100);
    EXPECT_EQ(phase[1], -1.0);
    EXPECT_EQ(phase[101], -1.0);
    for (int i = 2; i <= 100; ++i) EXPECT_GT(phase[i], 0.0) << i;
    EXPECT_EQ(computePhaseSpectrum(50.25, 1.0, tables.tungstenAttenuation, phase), 100);
}

TEST(ComputePhaseSpectrum, SelfAbsorptionGrowsAsTheTargetAngleShrinks) {
    const MaterialTables tables = syntheticTables();
    AttenuationTable noTungsten{};
    SpectrumArray bare{}, steep{}, shallow{};
    computePhaseSpectrum(100.0, 0.0, tables.tungstenAttenuation, bare);
    computePhaseSpectrum(100.0, 1.0 / std::tan(PI_SHORT * 20 / 180), tables.tungstenAttenuation,
                         steep);
    computePhaseSpectrum(100.0, 1.0 / std::tan(PI_SHORT * 6 / 180), tables.tungstenAttenuation,
                         shallow);
    SpectrumArray unattenuated{};
    computePhaseSpectrum(100.0, 5.0, noTungsten, unattenuated);
    for (int i : {20, 60, 120, 190}) {
        EXPECT_EQ(bare[i], unattenuated[i]) << i;
        EXPECT_LT(steep[i], bare[i]) << i;
        EXPECT_LT(shallow[i], steep[i]) << i;
        // Soft photons are absorbed more than hard ones.
        EXPECT_LT(shallow[20] / bare[20], shallow[190] / bare[190]);
    }
}

// K line excess over the straight line through the neighbouring bins.
double excess(const SpectrumArray& s, int bin) { return s[bin] - 0.5 * (s[bin - 1] + s[bin + 1]); }

TEST(ComputePhaseSpectrum, KLinesOnlyAboveSeventyKilovolts) {
    const MaterialTables tables = syntheticTables();
    SpectrumArray at70{}, at80{};
    computePhaseSpectrum(70.0, 4.7, tables.tungstenAttenuation, at70);
    computePhaseSpectrum(80.0, 4.7, tables.tungstenAttenuation, at80);
    double brems80 = 0.0;
    for (int i = 2; i <= 160; ++i) brems80 += at80[i];
    const double kTotal = 0.01 * characteristicPercent(80.0) * brems80;
    double kAdded = 0.0;
    for (const KLine& line : K_LINES) {
        // At 80 kV each line stands out by its share; at 70 kV the bins show no line,
        // only the curvature of the continuum near its end (well under 5 % of a line).
        EXPECT_LT(std::fabs(excess(at70, line.bin)), 0.05 * line.share * kTotal) << line.bin;
        EXPECT_NEAR(excess(at80, line.bin), line.share * kTotal, 0.03 * line.share * kTotal)
            << line.bin;
        kAdded += excess(at80, line.bin);
    }
    EXPECT_GT(kAdded, 0.0);
}

TEST(ComputeIncidentSpectrum, ConstantPotentialBinOneAndFromThePeakVoltageOnAreZero) {
    const GeneratedSpectrum g = computeIncidentSpectrum(
        conditions(80.0, RectificationMode::ConstantPotential), syntheticTables());
    EXPECT_EQ(g.incidentSpectrum[1], 0.0);
    EXPECT_GT(g.incidentSpectrum[159], 0.0);
    // The short pi puts the peak electron energy just below 80 keV.
    for (int i = 160; i <= GRID_BINS; ++i) EXPECT_EQ(g.incidentSpectrum[i], 0.0) << i;
    double largest = 0.0;
    for (double v : g.incidentSpectrum) largest = std::max(largest, v);
    EXPECT_EQ(g.spectrumPeak, largest);
}

// The spectrum of a constant potential whose electrons reach kv x sin(phi).
SpectrumArray constantPotentialAt(double kv, int phiDeg, const MaterialTables& tables) {
    const double electronKev = kv * std::sin(PI_SHORT * phiDeg / 180.0);
    const double kvGivingIt = electronKev / std::sin(PI_SHORT * 90.0 / 180.0);
    return computeIncidentSpectrum(conditions(kvGivingIt, RectificationMode::ConstantPotential),
                                   tables)
        .incidentSpectrum;
}

TEST(ComputeIncidentSpectrum, ThreePhaseIsTheMeanOfSixteenSpectra) {
    const MaterialTables tables = syntheticTables();
    const double kv = 100.0;
    SpectrumArray mean{};
    for (int phi = 75; phi <= 90; ++phi) {
        const SpectrumArray s = constantPotentialAt(kv, phi, tables);
        for (int i = 1; i <= GRID_BINS; ++i) mean[i] += s[i] / 16.0;
    }
    expectSpectraNear(
        computeIncidentSpectrum(conditions(kv, RectificationMode::ThreePhase12Peak), tables)
            .incidentSpectrum,
        mean);
}

TEST(ComputeIncidentSpectrum, SinglePhaseIsTheCurrentWeightedSumOverFortyFive) {
    const MaterialTables tables = syntheticTables();
    const double kv = 90.0;
    SpectrumArray sum{};
    double weights = 0.0;
    for (int phi = 2; phi <= 90; phi += 2) {
        const double s = std::sin(PI_SHORT * phi / 180.0);
        const double w = std::pow(std::min(s / 0.75, 1.0), 1.5);
        weights += w;
        const SpectrumArray one = constantPotentialAt(kv, phi, tables);
        for (int i = 1; i <= GRID_BINS; ++i) sum[i] += w * one[i] / 45.0;
    }
    ASSERT_LT(weights, 45.0);  // divided by the count, not by the weights
    expectSpectraNear(
        computeIncidentSpectrum(conditions(kv, RectificationMode::SinglePhaseFullWave), tables)
            .incidentSpectrum,
        sum);
}

TEST(ComputeIncidentSpectrum, FiltersAttenuateBinByBin) {
    MaterialTables tables = syntheticTables();
    IrradiationConditions base = conditions(100.0, RectificationMode::ConstantPotential);
    const SpectrumArray reference = computeIncidentSpectrum(base, tables).incidentSpectrum;

    // Copper 0 leaves the spectrum as aluminium alone filtered it, whatever its table holds.
    tables.copperAttenuation.fill(1.0e6);
    expectSpectraNear(computeIncidentSpectrum(base, tables).incidentSpectrum, reference);
    tables.copperAttenuation = syntheticTables().copperAttenuation;

    IrradiationConditions withCopper = base;
    withCopper.addedCopperCm = 0.01;
    IrradiationConditions moreAluminium = base;
    moreAluminium.addedAluminiumCm += 0.1;
    const SpectrumArray copper = computeIncidentSpectrum(withCopper, tables).incidentSpectrum;
    const SpectrumArray aluminium = computeIncidentSpectrum(moreAluminium, tables).incidentSpectrum;
    for (int i : {30, 100, 199}) {
        EXPECT_NEAR(copper[i] / reference[i], std::exp(-tables.copperAttenuation[i] * 0.01), 1e-12);
        EXPECT_NEAR(aluminium[i] / reference[i], std::exp(-tables.aluminiumAttenuation[i] * 0.1),
                    1e-12);
    }
}

TEST(ComputeIncidentSpectrum, SpectrumZeroEverywhereIsRefused) {
    IrradiationConditions c = conditions(80.0, RectificationMode::ConstantPotential);
    c.addedCopperCm = 1.0e4;  // 100 m of copper: every bin underflows to 0
    EXPECT_THROW(computeIncidentSpectrum(c, syntheticTables()), DataError);
}

}  // namespace
}  // namespace korvana::app
