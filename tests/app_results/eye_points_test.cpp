// The eye points of a result against a hand computation: each measuring
// point's scattered spectrum lies in one bin of its own (10 k, 5 k keV), the
// conversion table's D3mm/Kair is bin / 100 there, so the factor tells which
// angle's spectrum an eye point borrowed (0.1 k), and the lead's mu is flat
// (10 /cm), so glasses of 0.07 mm pass exp(-0.07). Then the files a viewer
// refuses, leaving the result without a room.
#include "app/results/eye_points.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "eye_points_fixture.h"
#include "result_file_builder.h"
#include "temp_dir.h"

namespace korvana::app {
namespace {

using namespace korvana::testing;

constexpr double RELATIVE = 1e-12;

class EyePointsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResultFileContent content = ResultFileContent::plausible();
        for (int k = 1; k <= POINT_COUNT; ++k) {
            content.scatter[k].fill(0.0);
            content.scatter[k][10 * k] = 1.0;
        }
        content.conditions[2] = "20.0";  // field 20 x 25 cm: 500 cm2
        content.conditions[3] = "25.0";
        content.write("a.data");
        for (int i = 1; i <= GRID_BINS; ++i) {
            tables.conversion.kermaCoefficient[i] = 1.0;
            tables.conversion.doseCoefficient3mm[i] = i / 100.0;
            tables.leadAttenuationEye[i] = 10.0;
        }
    }
    ResultSet loaded() {
        ResultSet set = readResultSet("a.data");
        attachScene(set);
        return set;
    }
    ScopedWorkDir dir;
    EyeLensDoseTables tables;
};

TEST_F(EyePointsTest, DoseIsTheKermaTimesTheNearestDirectionsFactors) {
    const struct {
        EyePointRow row;
        int angleIndex;  //!< the measuring point nearest in direction
        double annualBareMsv;
    } rows[] = {
        // atan2(60, -40) = 123.7 degrees: 120; 2.5e-4 x 0.7 = 1.75e-4 Gy/Gy;
        // 50 Gy cm2 / 500 cm2 = 0.1 Gy a procedure, 400 a year: x 4e4 mSv.
        {{"operator", {60, 30, -40}, 2.5e-4, 3.0}, 7, 7.0},
        {{"beside", {100, 0, 0}, 1.5e-3, 1.0}, 5, 30.0},   // 90 degrees: 0.5
        {{"low", {50, -10, -200}, 1e-4, 8.0}, 8, 3.2},     // 166 degrees: 135, 0.8
        {{"forward", {30, 0, 10}, 2e-3, 2.0}, 4, 32.0},    // 71.6 degrees: 75, 0.4
        {{"assistant", {100, 0, 60}, 5e-5, 4.0}, 3, 0.6},  // 59.0 degrees: 60, 0.3
    };
    std::vector<EyePointRow> points;
    for (const auto& row : rows) points.push_back(row.row);
    writeEyePointsBeside("a.data", points);
    const ResultSet set = loaded();
    ASSERT_TRUE(hasEyePoints(set));
    ASSERT_TRUE(set.scene);
    EXPECT_EQ(set.scene->shields.size(), 1u);

    const Workload workload{WorkloadMeasure::KermaAreaProduct, 50.0, 400};
    const EyePointDoses doses = computeEyePointDoses(set, tables, 0.07, 0.0, workload);
    ASSERT_EQ(doses.points.size(), std::size(rows));
    EXPECT_NEAR(doses.entranceKermaGy, 0.1, 1e-15);
    for (std::size_t n = 0; n < std::size(rows); ++n) {
        const EyePointRow& row = rows[n].row;
        const EyePointDose& dose = doses.points[n];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(dose.point.name, row.name);
        EXPECT_EQ(dose.spectrumAngleIndex, rows[n].angleIndex);
        const double bare = row.airKermaRatio * 0.1 * rows[n].angleIndex;
        ASSERT_TRUE(dose.bareDose && dose.glassesDose && dose.bareYear && dose.glassesYear);
        EXPECT_NEAR(*dose.bareDose, bare, RELATIVE * bare);
        EXPECT_NEAR(*dose.glassesDose, bare * std::exp(-0.07), RELATIVE * bare);
        EXPECT_NEAR(dose.bareYear->annualMsv, rows[n].annualBareMsv, 1e-9);
        EXPECT_EQ(dose.bareYear->verdict, verdictOf(rows[n].annualBareMsv));
        EXPECT_NEAR(dose.glassesYear->annualMsv, rows[n].annualBareMsv * std::exp(-0.07), 1e-9);
        EXPECT_EQ(dose.bareYear->relStdErrorPercent, row.relErrPercent);
        EXPECT_EQ(dose.glassesYear->relStdErrorPercent, row.relErrPercent);
    }
    // The protection counts for both, the glasses only for the second.
    const EyePointDoses behind = computeEyePointDoses(set, tables, 0.07, 0.5);
    EXPECT_NEAR(*behind.points[0].bareDose, 1.75e-4 * std::exp(-0.5), 1e-16);
    EXPECT_NEAR(*behind.points[0].glassesDose, 1.75e-4 * std::exp(-0.57), 1e-16);
    EXPECT_FALSE(behind.points[0].bareYear);
}

TEST_F(EyePointsTest, AResultWithoutARoomOrWithOnlyShieldsHasNoEyePoints) {
    ResultSet set = loaded();
    EXPECT_FALSE(set.scene);
    EXPECT_FALSE(hasEyePoints(set));
    EXPECT_TRUE(computeEyePointDoses(set, tables, 0.07, 0.0).points.empty());
    writeSceneFile("a.scene.json", sampleRoom());
    set = loaded();
    ASSERT_TRUE(set.scene);
    EXPECT_FALSE(hasEyePoints(set));
}

TEST_F(EyePointsTest, FilesThatDoNotBelongAreRefusedAndTheResultKeepsNoRoom) {
    namespace fs = std::filesystem;
    const std::vector<EyePointRow> points = {{"operator", {60, 30, -40}, 2.5e-4, 3.0}};
    const struct {
        const char* what;
        std::function<void()> spoil;
        const char* said;
    } rows[] = {
        {"points of another result",
         [] {
             ResultFileContent other = ResultFileContent::plausible();
             other.pointKermaRatio[5] = 9e-4;
             other.write("b.data");
             writeEyePointsBeside("b.data", {{"operator", {60, 30, -40}, 2.5e-4, 3.0}});
             fs::rename("b.points.csv", "a.points.csv");
         },
         "a.points.csv:2: the file belongs to another run"},
        {"damaged points file",
         [] {
             std::string text = readWhole("a.points.csv");
             text.replace(text.find("0.00025"), 7, "-1");
             writeLines("a.points.csv", {text});
         },
         "a.points.csv:2:5"},
        {"points file missing", [] { fs::remove("a.points.csv"); }, "a.points.csv are missing"},
        {"points of another scene",
         [] {
             SceneDescription scene = readSceneFile("a.scene.json");
             scene.eyePoints[0].name = "nurse";
             writeSceneFile("a.scene.json", scene);
         },
         "does not belong to the scene a.scene.json (row 1 is \"operator\", the scene's "
         "\"nurse\")"},
        {"damaged scene", [] { writeLines("a.scene.json", {"{\"version\": 2}"}); }, "a.scene.json"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        writeEyePointsBeside("a.data", points);
        row.spoil();
        ResultSet set = readResultSet("a.data");
        set.scene = SceneDescription{};  // what an earlier result left
        try {
            attachScene(set);
            ADD_FAILURE() << "accepted";
        } catch (const DataError& error) {
            EXPECT_NE(std::string(error.what()).find(row.said), std::string::npos) << error.what();
        }
        EXPECT_FALSE(set.scene);
        EXPECT_FALSE(set.eyePoints);
    }
}

}  // namespace
}  // namespace korvana::app
