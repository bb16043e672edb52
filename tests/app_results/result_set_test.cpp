#include "app/results/result_set.h"

#include <gtest/gtest.h>

#include "result_file_builder.h"
#include "temp_dir.h"

namespace korvana::app {
namespace {

using namespace korvana::testing;

class ResultSetTest : public ::testing::Test {
protected:
    ScopedWorkDir dir;
    ResultFileContent content = ResultFileContent::plausible();
};

TEST_F(ResultSetTest, ConditionsAreExactlyLines311To322) {
    content.conditions = {"21.5",  "95.0", "24.0",    "26.0",    ".250",    "55.0",
                          "100.0", "16.0", "  3.000", "  0.500", "   .100", "  .2E+07"};
    content.write("a.data");
    const RunConditions c = readResultConditions("a.data");
    const std::array<double, CONDITION_COUNT> expected = {21.5,  95.0, 24.0, 26.0, 0.25, 55.0,
                                                          100.0, 16.0, 3.0,  0.5,  0.1,  2e6};
    EXPECT_EQ(conditionValues(c), expected);
    EXPECT_EQ(c.curtainLeadMm, 0.25);
    EXPECT_EQ(c.historyCount, 2e6);
}

TEST_F(ResultSetTest, ConditionsOfAFileEndingBeforeThemAreRefusedWithTheFileName) {
    std::vector<std::string> lines = content.lines();
    lines.resize(309);
    writeLines("short.data", lines);
    try {
        readResultConditions("short.data");
        FAIL();
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().fileName, "short.data");
        EXPECT_NE(e.problem().find("309 lines"), std::string::npos) << e.problem();
    }
}

TEST_F(ResultSetTest, AnOverflowedConditionFieldIsReportedAtItsLine) {
    content.conditions[4] = "*****";  // 10 mm of lead or more does not fit F5.3
    content.write("thick.data");
    try {
        readResultConditions("thick.data");
        FAIL();
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().line, 315);
        EXPECT_EQ(e.where().column, 1);
    }
}

TEST_F(ResultSetTest, LoadTakesEveryValueFromItsPlace) {
    content.write("a.data");
    ResultSet set;
    loadResultSet("a.data", set);
    EXPECT_EQ(set.fileName, "a.data");
    for (int k = 1; k <= POINT_COUNT; ++k) {
        EXPECT_EQ(set.pointKermaRatio[k], content.pointKermaRatio[k]) << k;
        for (int i = 1; i <= GRID_BINS; ++i) {
            ASSERT_EQ(set.rawScatterSpectra[k][i], content.scatter[k][i]) << k << " " << i;
        }
    }
    for (int n = 1; n <= GRID_COLUMNS; ++n) {
        for (int m = 1; m <= GRID_ROWS; ++m) ASSERT_EQ(set.kermaGrid[n][m], content.grid[n][m]);
    }
    EXPECT_EQ(set.conditions.focusSurfaceDistanceCm, 80.0);
    EXPECT_EQ(set.conditions.historyCount, 5e8);
    // The map is the refined grid: its maximum sits on grid point (11, 21).
    EXPECT_EQ(set.kermaMap.kermaMapMax, content.grid[11][21]);
    EXPECT_EQ(set.kermaMap.at(101, 201), 100.0);
}

TEST_F(ResultSetTest, SpectraAreScaledToTheirPeaksAndEqualPeaksAllBecomeOne) {
    content.primary[50] = content.primary[72];  // the peak in two bins
    content.write("a.data");
    ResultSet set;
    loadResultSet("a.data", set);
    EXPECT_EQ(set.primaryPeak, 1.0);  // (72 / 72) as written
    EXPECT_EQ(set.primarySpectrum[72], 1.0);
    EXPECT_EQ(set.primarySpectrum[50], 1.0);
    EXPECT_EQ(set.primarySpectrum[36], content.primary[36] / 1.0);
    double largest = 0;
    for (int k = 1; k <= POINT_COUNT; ++k) {
        double peak = 0;
        for (int i = 1; i <= GRID_BINS; ++i) peak = std::max(peak, content.scatter[k][i]);
        EXPECT_EQ(set.scatterPeak[k], peak) << k;
        for (int i = 1; i <= GRID_BINS; ++i) {
            ASSERT_EQ(set.scatterSpectra[k][i], content.scatter[k][i] / peak) << k << " " << i;
        }
        largest = std::max(largest, peak);
    }
    EXPECT_EQ(set.scatterPeakAll, largest);
}

TEST_F(ResultSetTest, AnAngleNoPhotonReachedKeepsASpectrumOfZeros) {
    content.scatter[9].fill(0.0);
    content.pointKermaRatio[9] = 0.0;
    content.write("a.data");
    ResultSet set;
    loadResultSet("a.data", set);
    EXPECT_EQ(set.scatterPeak[9], 0.0);
    for (int i = 1; i <= GRID_BINS; ++i) ASSERT_EQ(set.scatterSpectra[9][i], 0.0) << i;
}

struct Damage {
    const char* name;
    int line;          // 1-based line to damage
    const char* text;  // replacement; nullptr cuts the file before the line
    int reportedLine;  // where the error must point
};

class DamagedFileTest : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedFileTest, IsReportedAndThePreviousSetStays) {
    ScopedWorkDir dir;
    ResultFileContent good = ResultFileContent::plausible();
    good.write("good.data");
    ResultSet set;
    loadResultSet("good.data", set);
    const ResultSet before = set;

    std::vector<std::string> lines = good.lines();
    if (GetParam().text == nullptr) {
        lines.resize(GetParam().line - 1);
    } else {
        lines[GetParam().line - 1] = GetParam().text;
    }
    writeLines("bad.data", lines);
    try {
        loadResultSet("bad.data", set);
        FAIL() << "loaded";
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().fileName, "bad.data");
        EXPECT_EQ(e.where().line, GetParam().reportedLine) << e.what();
    }
    EXPECT_EQ(set.fileName, "good.data");
    EXPECT_EQ(set.pointKermaRatio, before.pointKermaRatio);
    EXPECT_EQ(set.scatterSpectra, before.scatterSpectra);
    EXPECT_EQ(set.kermaGrid, before.kermaGrid);
    EXPECT_EQ(set.kermaMap.percent, before.kermaMap.percent);
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedFileTest,
                         ::testing::Values(Damage{"LastGridLineMissing", 353, nullptr, 352},
                                           Damage{"EndsInTheSpectra", 120, nullptr, 119},
                                           Damage{"EmptyFile", 1, nullptr, 0},
                                           Damage{"WordInASpectrum", 40, "  20.0 x", 40},
                                           Damage{"OverflowedKerma", 305,
                                                  " .1000E-01  *********** .1E-03", 305},
                                           Damage{"NegativeGridValue", 330, "-1", 330},
                                           Damage{"NegativeSpectrumValue", 7, "3.5 -0.1", 7}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ResultSetLoadTest, AMissingFileIsReportedByName) {
    ScopedWorkDir dir;
    ResultSet set;
    try {
        loadResultSet("none.data", set);
        FAIL();
    } catch (const DataError& e) {
        EXPECT_NE(std::string(e.what()).find("none.data"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists("none.data"));
}

}  // namespace
}  // namespace korvana::app
