// The annual eye lens dose against a hand computation on a synthetic result
// whose conversion factor and lead attenuation are flat (D3mm/Kair = 1.2 and
// mu = 10 /cm at every energy, so any spectrum gives them exactly), the eye
// position's interpolation on the grid, and the inputs each place refuses.
#include "app/results/annual_eye_lens_dose.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "app/results/kerma_uncertainty.h"
#include "result_file_builder.h"
#include "temp_dir.h"
#include "uncertainty_fixture.h"

namespace korvana::app {
namespace {

using namespace korvana::testing;

constexpr double RELATIVE = 1e-12;  // the same arithmetic in another order
constexpr double FLAT_RATIO = 1.2;  // D3mm/Kair of the flat table
constexpr double FLAT_MU = 10.0;    // [1/cm]

class AnnualEyeLensDoseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResultFileContent content = ResultFileContent::plausible();  // kerma 1e-4 k at angle k
        content.conditions[2] = "20.0";                              // field 20 x 25 cm: 500 cm2
        content.conditions[3] = "25.0";
        content.write("a.data");
        writeUncertaintiesBeside("a.data");  // point k: k % relative error
        loadResultSet("a.data", set);
        attachUncertainties(set);
        for (int i = 1; i <= GRID_BINS; ++i) {
            tables.conversion.kermaCoefficient[i] = 1.0;
            tables.conversion.doseCoefficient3mm[i] = FLAT_RATIO;
            tables.leadAttenuationEye[i] = FLAT_MU;
        }
    }
    ScopedWorkDir dir;
    ResultSet set;
    EyeLensDoseTables tables;
};

void expectRelative(double actual, double expected) {
    EXPECT_NEAR(actual, expected, RELATIVE * std::abs(expected));
}

TEST_F(AnnualEyeLensDoseTest, KermaAreaProductOverTheFieldTimesProceduresGivesMillisievert) {
    // 50 Gy cm2 over 500 cm2 = 0.1 Gy a procedure, 400 procedures, 0.5 mm glasses.
    const Workload workload{WorkloadMeasure::KermaAreaProduct, 50.0, 400};
    const AnnualEyeLensDose year = computeAnnualEyeLensDose(set, tables, workload, 0.5, 0.0);
    expectRelative(year.entranceKermaGy, 0.1);
    ASSERT_EQ(year.points.size(), 7u);
    const AnnualDosePoint& at105 = year.points[4];
    EXPECT_EQ(at105.angleIndex, 6);
    // Hand: 6e-4 Gy/Gy x 1.2 = 7.2e-4; x 0.1 Gy x 1000 = 0.072 mSv; x 400 = 28.8 mSv.
    ASSERT_TRUE(at105.bare && at105.glasses);
    expectRelative(at105.bare->perProcedureMsv, 0.072);
    expectRelative(at105.bare->annualMsv, 28.8);
    expectRelative(at105.bare->percentOfLimit, 144.0);
    EXPECT_EQ(at105.bare->verdict, DoseVerdict::AboveAverageLimit);
    EXPECT_EQ(at105.bare->proceduresBelowLimit, 277);         // 20 / 0.072 = 277.8
    EXPECT_NEAR(*at105.bare->relStdErrorPercent, 6.0, 1e-9);  // the 105 degree kerma's
    // Glasses: 0.05 cm of lead, exp(-0.5) of the photons pass.
    expectRelative(at105.glasses->annualMsv, 28.8 * std::exp(-0.5));
    EXPECT_EQ(at105.glasses->verdict, DoseVerdict::BelowLimit);
    EXPECT_EQ(at105.glasses->proceduresBelowLimit, 457);  // 20 / 0.04367 = 457.97
    EXPECT_NEAR(*at105.glasses->relStdErrorPercent, 6.0, 1e-9);

    // The same kerma given as the entrance kerma: 100 mGy.
    const Workload entrance{WorkloadMeasure::EntranceKerma, 100.0, 400};
    const AnnualEyeLensDose same = computeAnnualEyeLensDose(set, tables, entrance, 0.5, 0.0);
    for (std::size_t n = 0; n < 7; ++n) {
        expectRelative(same.points[n].bare->annualMsv, year.points[n].bare->annualMsv);
    }
}

TEST_F(AnnualEyeLensDoseTest, VerdictLimitsBelongToTheMiddleBand) {
    EXPECT_EQ(verdictOf(19.99), DoseVerdict::BelowLimit);
    EXPECT_EQ(verdictOf(20.0), DoseVerdict::AboveAverageLimit);
    EXPECT_EQ(verdictOf(50.0), DoseVerdict::AboveAverageLimit);
    EXPECT_EQ(verdictOf(50.01), DoseVerdict::AboveSingleYearLimit);
    // 0.1 mSv a procedure: 199 stay below 20 mSv, 200 reach it.
    EXPECT_EQ(annualDoseOf(1e-3, std::nullopt, 0.1, 0).proceduresBelowLimit, 199);
    EXPECT_FALSE(annualDoseOf(0.0, std::nullopt, 0.1, 10).proceduresBelowLimit);
}

TEST_F(AnnualEyeLensDoseTest, EyePositionTakesTheGridAndTheNearestAnglesSpectrum) {
    // (60, -30) cm: direction 116.6 degrees, nearest the 120 degree point (k = 7).
    const EyePosition eye{60.0, -30.0};
    EXPECT_EQ(nearestShownAngle(eye), 7);
    const Workload workload{WorkloadMeasure::KermaAreaProduct, 50.0, 400};
    const AnnualEyeLensDose year = computeAnnualEyeLensDose(set, tables, workload, 0.5, 0.0, eye);
    ASSERT_EQ(year.points.size(), 8u);
    const AnnualDosePoint& point = year.points.back();
    ASSERT_TRUE(point.eye);
    EXPECT_EQ(point.angleIndex, 7);
    // (60, -30) is the grid node n = 3, m = 15.
    EXPECT_EQ(point.kermaRatio, set.kermaGrid[3][15]);
    expectRelative(point.bare->annualMsv, set.kermaGrid[3][15] * FLAT_RATIO * 0.1 * 1000 * 400);
    // The node's own error: (3 / 10 + 14 / 1000) %.
    EXPECT_NEAR(*point.bare->relStdErrorPercent, 0.314, 1e-9);
}

TEST_F(AnnualEyeLensDoseTest, InterpolationIsTheNodeAtANodeAndBetweenNodesInBetween) {
    for (const auto& [n, m] : {std::pair{1, 1}, {21, 31}, {11, 21}, {4, 7}}) {
        const EyePosition node{gridColumnX(n), gridRowZ(m)};
        const GridKerma kerma = interpolateGridKerma(set, node);
        EXPECT_EQ(kerma.kermaRatio, set.kermaGrid[n][m]) << n << "," << m;
        EXPECT_NEAR(*kerma.relStdErrorPercent, 0.1 * n + 0.001 * (m - 1), 1e-9);
        EXPECT_EQ(kerma.unstable, n == 21);
    }
    // Inside the cell (x 65..70, z -45..-40): within the range of its four corners.
    for (const EyePosition& eye : {EyePosition{66.0, -44.0}, {67.5, -42.5}, {69.9, -40.1}}) {
        const double corners[] = {set.kermaGrid[4][12], set.kermaGrid[5][12], set.kermaGrid[4][13],
                                  set.kermaGrid[5][13]};
        const GridKerma kerma = interpolateGridKerma(set, eye);
        EXPECT_GE(kerma.kermaRatio, *std::min_element(std::begin(corners), std::end(corners)));
        EXPECT_LE(kerma.kermaRatio, *std::max_element(std::begin(corners), std::end(corners)));
    }
}

TEST(WorkloadInputs, RefusesWhatMakesNoSense) {
    EXPECT_EQ(workloadValue("50"), 50.0);
    EXPECT_EQ(workloadValue(" 1.5e2 "), 150.0);
    for (const char* bad : {"0", "-5", "", "abc", "5 Gy", "inf", "nan", "+5"}) {
        EXPECT_FALSE(workloadValue(bad)) << bad;
    }
    EXPECT_EQ(procedureCount("500"), 500);
    EXPECT_EQ(procedureCount("0"), 0);
    for (const char* bad : {"-3", "12.5", "1e3", "", "x", "99999999999999999999"}) {
        EXPECT_FALSE(procedureCount(bad)) << bad;
    }
    ASSERT_TRUE(parseEyePosition("60,-30"));
    EXPECT_EQ(parseEyePosition(" 60 , -30 ")->zCm, -30.0);
    for (const char* bad : {"60", "60;-30", "a,b", "60,", ",-30"}) {
        EXPECT_FALSE(parseEyePosition(bad)) << bad;
    }
    EXPECT_TRUE(isInsideGrid({50.0, -100.0}));
    EXPECT_TRUE(isInsideGrid({150.0, 50.0}));
    EXPECT_FALSE(isInsideGrid({49.9, 0.0}));
    EXPECT_FALSE(isInsideGrid({100.0, 50.1}));
}

TEST_F(AnnualEyeLensDoseTest, RefusesAPositionOffTheGridAndAWorkloadOfNothing) {
    const Workload workload{WorkloadMeasure::KermaAreaProduct, 50.0, 400};
    EXPECT_THROW(computeAnnualEyeLensDose(set, tables, workload, 0.5, 0.0, EyePosition{30, 0}),
                 DataError);
    EXPECT_THROW(
        computeAnnualEyeLensDose(set, tables, {WorkloadMeasure::EntranceKerma, 0.0, 4}, 0.5, 0.0),
        DataError);
    EXPECT_THROW(
        computeAnnualEyeLensDose(set, tables, {WorkloadMeasure::EntranceKerma, 1.0, -4}, 0.5, 0.0),
        DataError);
}

TEST(WorkloadBounds, RefusesWhatNoDoseRecordHoldsAndSaysWhich) {
    const auto kap = [](double value) {
        return Workload{WorkloadMeasure::KermaAreaProduct, value, 100};
    };
    const auto entrance = [](double value) {
        return Workload{WorkloadMeasure::EntranceKerma, value, 100};
    };
    const auto procedures = [](long long count) {
        return Workload{WorkloadMeasure::EntranceKerma, 1.0, count};
    };
    struct Case {
        Workload workload;
        std::optional<WorkloadField> field;
        const char* words;
    };
    const Case cases[] = {
        {kap(1e4), std::nullopt, ""},
        {kap(10000.5), WorkloadField::KermaAreaProduct, "more than 10000 Gy cm2"},
        {kap(1e308), WorkloadField::KermaAreaProduct, "per procedure 1e+308 Gy cm2 is more"},
        {kap(INFINITY), WorkloadField::KermaAreaProduct, "is not a finite number"},
        {kap(0.0), WorkloadField::KermaAreaProduct, "is not above 0"},
        {entrance(1e5), std::nullopt, ""},
        {entrance(100000.5), WorkloadField::EntranceKerma, "more than 100000 mGy"},
        {procedures(0), std::nullopt, ""},
        {procedures(100'000), std::nullopt, ""},
        {procedures(100'001), WorkloadField::Procedures, "100001 is more than 100000"},
        {procedures(9223372036854775807LL), WorkloadField::Procedures, "more than 100000"},
        {procedures(-1), WorkloadField::Procedures, "is below 0"},
    };
    for (const Case& c : cases) {
        const std::optional<WorkloadFault> fault = checkWorkload(c.workload);
        ASSERT_EQ(fault.has_value(), c.field.has_value()) << c.words;
        if (!fault) continue;
        EXPECT_EQ(fault->field, *c.field) << c.words;
        EXPECT_NE(describeWorkloadFault(*fault).find(c.words), std::string::npos)
            << describeWorkloadFault(*fault);
    }
    // 1e4 Gy cm2 over a 2 x 5 cm field: 1000 Gy = 1e6 mGy at the entrance surface.
    RunConditions small;
    small.fieldSizeXCm = 2.0;
    small.fieldSizeYCm = 5.0;
    const std::optional<WorkloadFault> fault = checkWorkload(kap(1e4), small);
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->field, WorkloadField::KermaOverResultField);
    EXPECT_EQ(fault->value, 1e6);
    EXPECT_NE(describeWorkloadFault(*fault).find("field of 10 cm2 gives 1000000 mGy"),
              std::string::npos)
        << describeWorkloadFault(*fault);
    // Over 10 x 10 cm the same P_KA is 100 Gy, the entrance kerma's bound itself.
    RunConditions square;
    square.fieldSizeXCm = 10.0;
    square.fieldSizeYCm = 10.0;
    EXPECT_FALSE(checkWorkload(kap(1e4), square));
}

TEST_F(AnnualEyeLensDoseTest, AWorkloadOutOfBoundsIsRefusedAndACountBeyondAnyYearIsNoLimit) {
    EXPECT_THROW(computeAnnualEyeLensDose(
                     set, tables, {WorkloadMeasure::KermaAreaProduct, 1e308, 400}, 0.5, 0.0),
                 DataError);
    EXPECT_THROW(
        computeAnnualEyeLensDose(
            set, tables, {WorkloadMeasure::EntranceKerma, 80.0, 9223372036854775807LL}, 0.5, 0.0),
        DataError);
    // 2.5e-4 mSv a procedure: 79999 stay below 20 mSv (80000 reach it).
    EXPECT_EQ(annualDoseOf(2.5e-4, std::nullopt, 1e-3, 0).proceduresBelowLimit, 79999);
    // 1e-4 mSv a procedure: 199999 would, more than any year holds: no limit.
    EXPECT_FALSE(annualDoseOf(1e-4, std::nullopt, 1e-3, 0).proceduresBelowLimit);
}

}  // namespace
}  // namespace korvana::app
