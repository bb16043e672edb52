// A result file written by the engine itself, read by the viewers' core.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "app/results/condition_texts.h"
#include "app/results/csv_export.h"
#include "app/results/eye_lens_dose.h"
#include "app/results/kerma_uncertainty.h"
#include "app/results/lead_protection.h"
#include "app/results/result_set.h"
#include "app/results/results_command.h"
#include "app/run/case_file.h"
#include "common/scene_file.h"
#include "common/text_file.h"
#include "engine/run/result_file.h"
#include "engine/run/simulation.h"
#include "engine_case.h"
#include "engine_result_file.h"
#include "uncertainty_fixture.h"

namespace korvana::app {
namespace {

using namespace korvana::testing;

std::vector<double> numbersOf(const std::string& line) { return numbersOfLine(line); }

//! The fields of a CSV row; an empty field is NaN.
std::vector<double> csvNumbers(const std::string& line) {
    std::vector<double> values;
    std::size_t start = 0;
    while (start <= line.size()) {
        const std::size_t end = std::min(line.find(',', start), line.size());
        const std::string field = line.substr(start, end - start);
        values.push_back(field.empty() ? std::nan("") : std::strtod(field.c_str(), nullptr));
        start = end + 1;
    }
    return values;
}

//! Six significant digits, as the exports write them.
void expectSixDigits(double written, double value) {
    EXPECT_NEAR(written, value, std::abs(value) * 5e-6) << value;
}

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
        lines = readTextFile("case.data", FileKind::Result).lines;
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
    for (int k = 1; k <= POINT_COUNT; ++k) {
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

TEST_F(EngineResultTest, SpectraExportHoldsTheStoredSpectra) {
    const ResultSet set = readResultSet("case.data");
    const std::vector<std::string> csv = resultSpectraCsv(set);
    ASSERT_EQ(csv.size(), 301u);
    EXPECT_EQ(csv[0],
              "energy_keV,primary,scatter_30deg,scatter_45deg,scatter_60deg,scatter_75deg,"
              "scatter_90deg,scatter_105deg,scatter_120deg,scatter_135deg,scatter_150deg");
    for (int i : {1, 100, 300}) {
        const std::vector<double> row = csvNumbers(csv[i]);
        const std::vector<double> stored = numbersOf(lines[i - 1]);
        ASSERT_EQ(row.size(), 11u);
        EXPECT_EQ(row[0], 0.5 * i);
        for (std::size_t n = 1; n < 11; ++n) expectSixDigits(row[n], stored[n]);
    }
}

TEST_F(EngineResultTest, AirKermaExportAddsLeadAndErrorsWhenKnown) {
    ResultSet set = readResultSet("case.data");
    const EyeLensDoseTables tables = loadEyeLensDoseTables();
    const LeadLayer lead{0.5, &tables.leadAttenuationEye};
    std::vector<std::string> csv = airKermaCsv(set, lead);
    ASSERT_EQ(csv.size(), 10u);
    EXPECT_EQ(csv[0], "angle_deg,air_kerma_Gy_per_Gy,air_kerma_behind_0.5_mm_Pb_Gy_per_Gy");
    const AngleValues shielded = computeLeadProtectedKerma(set, tables.leadAttenuationEye, 0.5);
    for (int k = 1; k <= 9; ++k) {
        const std::vector<double> row = csvNumbers(csv[k]);
        EXPECT_EQ(row[0], 15.0 * k + 15.0);
        EXPECT_EQ(row[1], numbersOf(lines[300 + k])[2]);
        EXPECT_LE(row[2], row[1]);
        if (k >= FIRST_SHOWN_ANGLE && k <= LAST_SHOWN_ANGLE) expectSixDigits(row[2], shielded[k]);
    }

    writeUncertaintiesBeside("case.data");
    attachUncertainties(set);
    csv = airKermaCsv(set, std::nullopt);
    EXPECT_EQ(csv[0], "angle_deg,air_kerma_Gy_per_Gy,rel_std_error_percent");
    for (int k = 1; k <= 9; ++k) EXPECT_NEAR(csvNumbers(csv[k])[2], k, 1e-9);
}

TEST_F(EngineResultTest, MapExportIsTheRefinedGrid) {
    const ResultSet set = readResultSet("case.data");
    const std::vector<std::string> csv = kermaMapCsv(set.kermaMap);
    ASSERT_EQ(csv.size(), 1u + 201u * 301u);
    EXPECT_EQ(csv[0], "x_cm,z_cm,air_kerma_Gy_per_Gy,percent_of_max");
    // The first rows run along x at z = -100 cm; grid points are the file's values.
    EXPECT_EQ(csvNumbers(csv[1])[0], 50.0);
    EXPECT_EQ(csvNumbers(csv[2])[0], 50.5);
    EXPECT_EQ(csvNumbers(csv[1])[1], -100.0);
    EXPECT_EQ(csvNumbers(csv[202])[1], -99.5);
    expectSixDigits(csvNumbers(csv[1])[2], set.kermaGrid[1][1]);
    expectSixDigits(csvNumbers(csv[11])[2], set.kermaGrid[2][1]);
    double largest = 0;
    for (std::size_t n = 1; n < csv.size(); ++n) largest = std::max(largest, csvNumbers(csv[n])[3]);
    EXPECT_EQ(largest, 100.0);
}

TEST_F(EngineResultTest, EyeLensDoseExportListsEachTable) {
    const ResultSet set = readResultSet("case.data");
    const EyeLensDoseTables tables = loadEyeLensDoseTables();
    const EyeLensDose dose = computeEyeLensDose(set, tables, 0.07, 0.5);
    const std::vector<std::string> csv = eyeLensDoseCsv({{0.07, 0.5, dose}});
    ASSERT_EQ(csv.size(), 8u);
    EXPECT_EQ(csv[0],
              "glasses_mm_Pb,protection_mm_Pb,angle_deg,transmitted_fraction,D3mm_per_Kair,"
              "eye_lens_dose_Gy_per_Gy,rel_std_error_percent");
    const std::vector<double> first = csvNumbers(csv[1]);
    EXPECT_EQ(first[0], 0.07);
    EXPECT_EQ(first[1], 0.5);
    EXPECT_EQ(first[2], 45.0);
    expectSixDigits(first[3], dose.transmittedFraction[2]);
    expectSixDigits(first[4], *dose.doseConversionRatio[2]);
    expectSixDigits(first[5], *dose.eyeLensDose[2]);
}

TEST_F(EngineResultTest, ErrorsOfAnotherRunAreNeverShownAsTheResultsOwn) {
    writeUncertaintiesBeside("case.data");
    const std::vector<std::string> paired =
        readTextFile("case.unc.csv", FileKind::Uncertainty).lines;
    std::vector<std::string> earlierVersion = paired;  // without vov ... result_digest
    earlierVersion[0] =
        "kind,angle_deg,x_cm,z_cm,air_kerma_ratio,rel_std_error,few_histories,estimator";
    for (std::size_t n = 1; n < earlierVersion.size(); ++n) {
        for (int field = 0; field < 4; ++field) {
            earlierVersion[n].erase(earlierVersion[n].rfind(','));
        }
    }
    // Another run wrote case.data again: one kerma differs in its last digit.
    std::vector<std::string> result = readTextFile("case.data", FileKind::Result).lines;
    const std::vector<std::string> original = result;
    std::string& line = result[305];  // 90 degrees
    line[line.size() - 5] = line[line.size() - 5] == '9' ? '8' : '9';
    struct Case {
        const char* what;
        const std::vector<std::string>& uncertainties;
        const std::vector<std::string>& result;
        bool shown;
    };
    for (const Case& c :
         {Case{"paired", paired, original, true},
          Case{"earlier version, same run", earlierVersion, original, true},
          Case{"digest of another result", paired, result, false},
          Case{"earlier version, kermas of another run", earlierVersion, result, false}}) {
        SCOPED_TRACE(c.what);
        writeLines("case.unc.csv", c.uncertainties);
        writeLines("case.data", c.result);
        std::ostringstream out, errors;
        ASSERT_EQ(runResultsCommand({"case.data"}, out, errors), 0) << errors.str();
        EXPECT_EQ(out.str().find("\u00b1 [%]") != std::string::npos, c.shown) << out.str();
        EXPECT_EQ(errors.str().find("another run") != std::string::npos, !c.shown) << errors.str();
    }
}

TEST_F(EngineResultTest, TheCaseOfAResultIsSavedAsTheBrowserShowsIt) {
    std::ostringstream out, errors;
    ASSERT_EQ(runResultsCommand({"case.data", "--save-case", "c.korvana.json"}, out, errors), 0)
        << errors.str();
    const CaseEntries expected = {{"thickness", "20"}, {"fsd", "80"},           {"field", "25x30"},
                                  {"pb", "0.25"},      {"length", "60"},        {"kv", "80"},
                                  {"angle", "12"},     {"inherent", "2.5"},     {"al", "1.5"},
                                  {"cu", "0"},         {"histories", "2.0E+04"}};
    EXPECT_EQ(readCaseFile("c.korvana.json"), expected);  // no .unc.csv: no estimator
}

TEST_F(EngineResultTest, TheCaseOfAResultKeepsItsExactHistoriesAndEstimator) {
    UncertaintyTable table = sampleUncertainties();
    table.estimator = "next-event";
    writeUncertaintiesBeside("case.data", table);  // a run of 1000000 histories
    std::ostringstream out, errors;
    ASSERT_EQ(runResultsCommand({"case.data", "--save-case", "c.korvana.json"}, out, errors), 0)
        << errors.str();
    const CaseEntries saved = readCaseFile("c.korvana.json");
    EXPECT_EQ(saved.at("histories"), "1000000");  // not the result file's "2.0E+04"
    EXPECT_EQ(saved.at("estimator"), "next-event");
}

TEST_F(EngineResultTest, TheCaseOfAResultKeepsTheRoomSavedBesideIt) {
    SceneDescription scene;
    scene.shields.push_back({"ceiling", 0.5, {55, 0, -45}, 60, 75, 0});
    writeSceneFile("case.scene.json", scene);
    std::ostringstream out, errors;
    ASSERT_EQ(runResultsCommand({"case.data", "--save-case", "c.korvana.json"}, out, errors), 0)
        << errors.str();
    EXPECT_EQ(caseScene(readCaseFile("c.korvana.json")), scene);
}

TEST_F(EngineResultTest, CommandWritesTheExportsAndTheErrorColumn) {
    writeUncertaintiesBeside("case.data");
    std::ostringstream out, errors;
    ASSERT_EQ(runResultsCommand({"case.data", "--csv", "exports"}, out, errors), 0) << errors.str();
    for (const char* name : {"case_spectra.csv", "case_air_kerma.csv", "case_map.csv",
                             "case_eye_lens_dose.csv", "incident_spectrum.csv"}) {
        const std::vector<std::string> csv =
            readTextFile(std::string("exports/") + name, FileKind::CsvTable).lines;
        ASSERT_GT(csv.size(), 1u) << name;
        EXPECT_NE(out.str().find(name), std::string::npos) << name;
    }
    EXPECT_EQ(readTextFile("exports/incident_spectrum.csv", FileKind::CsvTable).lines[0],
              "energy_keV,photons_relative_to_peak");
    const std::string text = out.str();
    EXPECT_NE(text.find("air kerma Gy   \u00b1 [%]"), std::string::npos) << text;
    // 45 degrees: the sample's 2 % beside the air kerma.
    EXPECT_NE(text.find("     2.0   "), std::string::npos) << text;
    // The unstable 120 degree error is marked, and explained below the table.
    EXPECT_NE(text.find("7.0 unstable"), std::string::npos) << text;
    EXPECT_EQ(text.find("2.0 unstable"), std::string::npos) << text;
    EXPECT_NE(text.find("\nunstable: "), std::string::npos) << text;
    EXPECT_NE(text.find("Estimator                analog"), std::string::npos) << text;
}

}  // namespace
}  // namespace korvana::app
