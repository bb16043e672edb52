// A result file written by the engine itself, read by the viewers' core.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>

#include "condition_texts.h"
#include "engine_case.h"
#include "engine_result_file.h"
#include "eye_lens_dose.h"
#include "result_file.h"
#include "result_set.h"
#include "results_command.h"
#include "simulation.h"
#include "text_file.h"

namespace korvana::app {
namespace {

using namespace korvana::testing;

std::vector<double> numbersOf(const std::string& line) { return numbersOfLine(line); }

class EngineResultTest : public ::testing::Test {
protected:
    void SetUp() override {
        copyEngineTables();
        copyShippedTables({"d-DperK.dDk"});
        writeSpectrum(smoothSpectrum());
        RunFileValues run;
        run.leadCm = "0.025";
        run.fieldXCm = "30.0";
        writeLines("case.data", engineResultLines(run));
        lines = readTextFile("case.data").lines;
        ASSERT_EQ(lines.size(), 353u);
    }
    ScopedWorkDir dir;
    std::vector<std::string> lines;
};

TEST_F(EngineResultTest, ConditionsShowAsTheBrowserShowsThem) {
    const std::array<std::string, CONDITION_COUNT> expected = {
        "20", "80", "25", "30", "0.25", "60", "80", "12", "2.5", "1.5", "0", "2.0E+04"};
    EXPECT_EQ(browserConditionTexts(readResultConditions("case.data")), expected);
    EXPECT_EQ(lines[314], " .250");  // as the engine wrote the curtain: no leading 0
}

TEST_F(EngineResultTest, AirKermaColumnAndGridAreTheFileValues) {
    ResultSet set;
    loadResultSet("case.data", set);
    int reached = 0;
    for (int k = 1; k <= ANGLE_COUNT; ++k) {
        const std::vector<double> values = numbersOf(lines[301 + k - 1]);
        ASSERT_EQ(values.size(), 3u);
        EXPECT_EQ(set.pointKermaRatio[k], values[2]) << k;
        reached += set.scatterPeak[k] > 0.0;
    }
    EXPECT_GE(reached, 4);
    for (int m = 1; m <= GRID_ROWS; ++m) {
        const std::vector<double> values = numbersOf(lines[322 + m - 1]);
        ASSERT_EQ(values.size(), 21u);
        for (int n = 1; n <= GRID_COLUMNS; ++n) ASSERT_EQ(set.kermaGrid[n][m], values[n - 1]);
    }
    double peak = 0.0;
    int peakBin = 0;
    for (int i = 1; i <= GRID_BINS; ++i) {
        const double value = numbersOf(lines[i - 1])[1];
        if (value > peak) peak = value, peakBin = i;
    }
    EXPECT_EQ(set.primaryPeak, peak);
    EXPECT_EQ(set.primarySpectrum[peakBin], 1.0);
    EXPECT_GT(set.kermaMap.kermaMapMax, 0.0);
}

TEST_F(EngineResultTest, CommandReportsConditionsKermaAndEyeLensDoses) {
    std::ostringstream out, errors;
    ASSERT_EQ(runResultsCommand({"case.data"}, out, errors), 0) << errors.str();
    const std::string text = out.str();
    EXPECT_NE(text.find("Result file: case.data"), std::string::npos) << text;
    EXPECT_NE(text.find("Pb curtain thickness     0.25 mm"), std::string::npos) << text;
    EXPECT_NE(text.find("Histories                2.0E+04 photons"), std::string::npos) << text;
    EXPECT_NE(text.find("with 0.07 mm Pb glasses"), std::string::npos) << text;
    ResultSet set;
    loadResultSet("case.data", set);
    const EyeLensDose bare = computeEyeLensDose(set, loadEyeLensDoseTables(), 0.0, 0.0);
    for (int k = FIRST_SHOWN_ANGLE; k <= LAST_SHOWN_ANGLE; ++k) {
        const std::string degrees = std::to_string(15 * k + 15);
        const std::size_t row = text.find("\n" + std::string(7 - degrees.size(), ' ') + degrees);
        ASSERT_NE(row, std::string::npos) << degrees;
        const std::string line = text.substr(row + 1, text.find('\n', row + 1) - row - 1);
        EXPECT_NE(line.find(eyeLensDoseText(bare.eyeLensDose[k])), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace korvana::app
