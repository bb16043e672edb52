#include "app/study/study_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/run/case_file.h"
#include "app/study/condition_run.h"
#include "app/study/summary_file.h"
#include "app/study/summary_series.h"
#include "common/data_error.h"
#include "common/scene_file.h"

namespace korvana::study {
namespace {

struct Refusal {
    std::vector<std::string> arguments;
    const char* reason;  //!< a part of the message
};

void PrintTo(const Refusal& r, std::ostream* os) {
    for (const std::string& a : r.arguments) *os << a << ' ';
}

class OptionRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(OptionRefusal, IsRefusedBeforeAnythingRuns) {
    try {
        parseStudyOptions(GetParam().arguments);
        FAIL() << "accepted";
    } catch (const DataError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().reason), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, OptionRefusal,
    testing::Values(
        Refusal{{"--bogus", "1"}, "not expected"}, Refusal{{"--pb", "0", "extra"}, "not expected"},
        Refusal{{"--kv"}, "--kv"}, Refusal{{"--kv", "60:100"}, "three parts"},
        Refusal{{"--kv", "30:130:0.1", "--pb", "0,0.5"}, "--yes"},
        Refusal{{"--part", "3/2"}, "K/N"}, Refusal{{"--part", "0/2"}, "K/N"},
        Refusal{{"--part", "1-2"}, "K/N"}, Refusal{{"--histories", "0"}, "no photon"},
        Refusal{{"--threads", "-1"}, "negative"}, Refusal{{"--estimator", "fast"}, "not one of"},
        Refusal{{"--mode", "dc"}, "not one of"},
        // 10^20 conditions: the product once wrapped to a small count.
        Refusal{{"--thickness", "1:100000:1", "--fsd", "1:100000:1", "--al", "0:99999:1", "--cu",
                 "0:99999:1", "--yes"},
                "more than 1000000 conditions"},
        Refusal{{"--kv", "1:1000:1", "--angle", "1:89:1", "--al", "0:99:1", "--yes"},
                "more than 1000000 conditions"},
        // Values the result file cannot hold: refused as the engine would.
        Refusal{{"--fsd", "80,1000", "--pb", "0"},
                "--fsd: the focus-surface distance [cm] 1000 is more than 999.9"},
        Refusal{{"--field", "1000x25", "--pb", "0"}, "--field: the field size"},
        // --pb takes mm: its limit is answered in mm.
        Refusal{{"--pb", "10"}, "--pb: the curtain lead thickness [mm Pb] 10 is more than 9.999 "},
        Refusal{{"--pb", "0", "--length", "-100"}, "--length: the curtain length"},
        Refusal{{"--pb", "0", "--histories", "1e30"}, "--histories:"},
        // The worker's year: each input that makes no sense named.
        Refusal{{"--kap", "0", "--procedures", "5"}, "--kap \"0\""},
        Refusal{{"--entrance-kerma", "-2", "--procedures", "5"}, "--entrance-kerma \"-2\""},
        Refusal{{"--kap", "50", "--procedures", "1.5"}, "--procedures \"1.5\""},
        Refusal{{"--kap", "50"}, "--procedures is missing"},
        Refusal{{"--procedures", "5"}, "--procedures needs"},
        Refusal{{"--kap", "50", "--procedures", "5", "--eye", "10,0"}, "--eye 10,0 lies outside"},
        // Beyond any dose record: refused with the bound, not run into "inf".
        Refusal{{"--kap", "1e308", "--procedures", "5"},
                "--kap: the kerma-area product per procedure 1e+308 Gy cm2 is more than 10000"},
        Refusal{{"--entrance-kerma", "80", "--procedures", "9223372036854775807"},
                "--procedures: the number of procedures per year 9.223372e+18 is more than "
                "100000"},
        // 1e4 Gy cm2 over a 5 x 5 cm field: 400 Gy at the entrance surface.
        Refusal{{"--kap", "1e4", "--field", "5", "--procedures", "5", "--pb", "0"},
                "--kap: the kerma-area product per procedure over the result's field of 25 cm2 "
                "gives 400000 mGy"}));

TEST(StudyOptions, AWorkloadAddsTheAnnualColumnsBeforeStatus) {
    const StudyOptions options =
        parseStudyOptions({"--kap", "50", "--procedures", "500", "--eye", "60,-30"});
    ASSERT_TRUE(options.workload.workload && options.workload.eye);
    EXPECT_EQ(options.workload.workload->proceduresPerYear, 500);
    const std::vector<std::string> identity = studyIdentity(options);
    EXPECT_EQ(identity.back(), "--eye 60,-30");
    EXPECT_EQ(studyIdentity(parseStudyOptions({})).size(), identity.size() - 3);

    const Condition condition = studyConditions(options).front();
    ConditionResult result;
    app::AnnualDose year;
    year.annualMsv = 12.5;
    year.relStdErrorPercent = 3.0;
    year.proceduresBelowLimit = 799;
    std::vector<app::AnnualDosePoint> points(7);
    for (int k = 2; k <= 8; ++k)
        points[static_cast<std::size_t>(k - 2)] = {k, {}, 0, false, year, {}};
    points.push_back({7, app::EyePosition{60, -30}, 0, false, year, year});
    result.annual = points;
    const SummaryRow row = summaryRow(condition, 1, std::nullopt, result, "", true);
    ASSERT_EQ(row.size(), summaryHeader(true).size());
    EXPECT_TRUE(rowHasWorkload(row));
    EXPECT_EQ(row[summaryColumn("annual_eye_lens_90_msv")], "12.5");
    EXPECT_EQ(row[summaryColumn("annual_eye_lens_90_msv_rel_err_percent")], "3");
    EXPECT_EQ(row[summaryColumn("annual_eye_lens_glasses_90_msv")], "");
    EXPECT_EQ(row[summaryColumn("procedures_below_20_msv_90")], "799");
    EXPECT_EQ(row[summaryColumn("annual_eye_position_glasses_msv")], "12.5");
    EXPECT_EQ(row.back(), "ok");
    EXPECT_TRUE(rowCompletes(row, condition, std::nullopt, true));
    EXPECT_FALSE(rowCompletes(row, condition, std::nullopt, false));
    // Without a workload the columns of earlier versions, unchanged.
    EXPECT_EQ(summaryRow(condition, 1, std::nullopt, result, "").size(), summaryHeader().size());
    EXPECT_EQ(summaryHeader(true).back(), "status");
}

TEST(StudyOptions, CorrectedValuesAreTheOnesRunAndNoted) {
    const std::vector<Condition> conditions =
        studyConditions(parseStudyOptions({"--kv", "200,-80,80", "--inherent", "0.5,2.5"}));
    ASSERT_EQ(conditions.size(), 6u);
    const auto kv = [](const Condition& c) { return c.inputs[3]; };
    EXPECT_EQ(kv(conditions[0]), "149.5");
    EXPECT_EQ(conditions[0].folder, "kv200_inherent0.5");
    EXPECT_EQ(conditions[0].corrections, (std::vector<std::string>{"kv corrected 200 -> 149.5",
                                                                   "inherent corrected 0.5 -> 1"}));
    EXPECT_EQ(kv(conditions[2]), "30");
    EXPECT_EQ(conditions[3].corrections, (std::vector<std::string>{"kv corrected -80 -> 30"}));
    EXPECT_TRUE(conditions[5].corrections.empty());
    const SummaryRow row = summaryRow(conditions[0], 6, std::nullopt, ConditionResult{}, "");
    EXPECT_EQ(row.back(), "ok, kv corrected 200 -> 149.5, inherent corrected 0.5 -> 1");
    EXPECT_EQ(inputCell(row, StudyInput::Kv), "149.5");
    EXPECT_TRUE(rowCompletes(row, conditions[0], std::nullopt));
}

TEST(StudyOptions, TheFormsDefaultsAndNoCurtainUnlessGiven) {
    const StudyOptions options = parseStudyOptions({});
    const std::vector<Condition> conditions = studyConditions(options);
    ASSERT_EQ(conditions.size(), 1u);
    EXPECT_EQ(conditions[0].inputs, (InputTexts{"20", "80", "25x25", "80", "12", "2.5", "1.5", "0",
                                                "cp", "", "0", "500000000"}));
    EXPECT_EQ(conditions[0].folder, "condition");
    EXPECT_FALSE(options.threads);
    EXPECT_FALSE(options.estimator);
    EXPECT_NO_THROW(parseStudyOptions({"--kv", "30:130:0.1", "--pb", "0,0.5", "--yes"}));
    // korvana-spectrum's numbers name the same rectifications as the words.
    const StudyOptions numbered = parseStudyOptions({"--mode", "1,2,3"});
    EXPECT_EQ(numbered.values[static_cast<std::size_t>(StudyInput::Mode)],
              (std::vector<std::string>{"cp", "3phase", "1phase"}));
}

TEST(StudyOptions, ACaseFileGivesTheDefaultsTheCommandLineOverrides) {
    const std::string file =
        (std::filesystem::temp_directory_path() / "study_options_test.korvana.json").string();
    app::writeCaseFile(file, {{"kv", "100"},
                              {"pb", "0.35"},
                              {"field", "30x20"},
                              {"mode", "2"},
                              {"estimator", "next-event"}});
    const StudyOptions fromCase = parseStudyOptions({"--case", file});
    const StudyOptions typed = parseStudyOptions({"--kv", "100", "--pb", "0.35", "--field", "30x20",
                                                  "--mode", "3phase", "--estimator", "next-event"});
    EXPECT_EQ(studyConditions(fromCase)[0].inputs, studyConditions(typed)[0].inputs);
    EXPECT_EQ(fromCase.estimator, typed.estimator);
    const StudyOptions overridden = parseStudyOptions({"--case", file, "--kv", "60"});
    std::filesystem::remove(file);
    EXPECT_EQ(overridden.values[static_cast<std::size_t>(StudyInput::Kv)],
              std::vector<std::string>{"60"});
    EXPECT_THROW(parseStudyOptions({"--case", file}), DataError);  // gone
}

TEST(StudyOptions, ProductInFormOrderWithFoldersOfTheSweptValues) {
    const StudyOptions options =
        parseStudyOptions({"--pb", "0,0.35", "--kv=60:100:20", "--threads", "0"});
    std::vector<std::string> folders;
    for (const Condition& c : studyConditions(options)) folders.push_back(c.folder);
    EXPECT_EQ(folders, (std::vector<std::string>{"kv60_pb0", "kv60_pb0.35", "kv80_pb0",
                                                 "kv80_pb0.35", "kv100_pb0", "kv100_pb0.35"}));
    EXPECT_EQ(options.threads, 0);
    std::vector<std::size_t> part;
    for (std::size_t k = 1; k <= 6; ++k) {
        if (inPart(k, parseStudyOptions({"--part", "2/3"}).part)) part.push_back(k);
    }
    EXPECT_EQ(part, (std::vector<std::size_t>{2, 5}));
}

// The rooms the scene options are tried with, written once into a folder of their own.
class SceneOptions : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = std::filesystem::temp_directory_path() / "study_scene_options_test";
        std::filesystem::create_directories(s_dir);
        SceneDescription shieldAndEye;
        shieldAndEye.shields.push_back({"ceiling", 0.5, {55, 0, -45}, 60, 75, 0});
        shieldAndEye.shields.push_back({"side", 1, {80, 0, 10}, 30, 30, 0});
        shieldAndEye.eyePoints.push_back({"operator", {60, 30, -40}});
        shieldAndEye.eyePoints.push_back({"assistant", {90, -30, -30}});
        writeSceneFile(file("room.scene.json"), shieldAndEye);
        SceneDescription tableOnly;
        tableOnly.table = SceneTable{1.2, TableSide::Exit, 50};
        writeSceneFile(file("table.scene.json"), tableOnly);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(s_dir); }
    static std::string file(const char* name) { return (s_dir / name).string(); }

    static std::filesystem::path s_dir;
};
std::filesystem::path SceneOptions::s_dir;

TEST_F(SceneOptions, RefusedWithTheOptionAndReasonBeforeAnythingRuns) {
    const std::string room = file("room.scene.json");
    const std::string table = file("table.scene.json");
    const Refusal refusals[] = {
        {{"--shield-x", "40"}, "--shield-x moves an element of the room - give --scene"},
        {{"--eye-height", "-40", "--pb", "0"}, "--eye-height moves"},
        // Eye points are scored by the next-event estimator alone.
        {{"--scene", room, "--pb", "0"}, "has eye points, which only the next-event"},
        {{"--scene", room, "--pb", "0", "--estimator", "analog"}, "give --estimator next-event"},
        {{"--scene", table, "--pb", "0", "--shield-lead", "1"},
         "has no shield to move - add one to its \"shields\""},
        {{"--scene", table, "--pb", "0", "--eye-height", "-30"}, "has no eye point to move"},
        // A value that moves the shield into the object, or that no lead has.
        {{"--scene", room, "--pb", "0", "--estimator", "next-event", "--shield-x", "60,0",
          "--shield-z", "10"},
         "in condition 2 (shield-x0): key shields[0]: the shield \"ceiling\" passes through"},
        {{"--scene", room, "--pb", "0", "--estimator", "next-event", "--shield-lead", "-1"},
         "key shields[0].lead_mm: -1 mm is below 0"},
        {{"--scene", room, "--pb", "0", "--estimator", "next-event", "--shield-z", "1:"},
         "--shield-z"},
        {{"--scene", file("none.scene.json"), "--pb", "0"}, "none.scene.json"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(testing::PrintToString(r));
        try {
            parseStudyOptions(r.arguments);
            ADD_FAILURE() << "accepted";
        } catch (const DataError& e) {
            EXPECT_NE(std::string(e.what()).find(r.reason), std::string::npos) << e.what();
        }
    }
}

TEST_F(SceneOptions, SweepsMoveTheFirstShieldAndEveryEyePoint) {
    const StudyOptions options =
        parseStudyOptions({"--scene", file("room.scene.json"), "--pb", "0", "--estimator",
                           "next-event", "--shield-x", "40,70", "--eye-height", "-50,-30"});
    const std::vector<Condition> conditions = studyConditions(options);
    ASSERT_EQ(conditions.size(), 4u);
    EXPECT_EQ(conditions[1].folder, "shield-x40_eye-height-30");
    const SceneDescription scene = *conditionScene(options, conditions[1]);
    EXPECT_EQ(scene.shields[0].centreCm, (std::array<double, 3>{40, 0, -45}));
    EXPECT_EQ(scene.shields[0].leadMm, 0.5);                 // not given: the scene's own
    EXPECT_EQ(scene.shields[1], options.scene->shields[1]);  // only the first moves
    EXPECT_EQ(scene.eyePoints[0].positionCm, (std::array<double, 3>{60, 30, -30}));
    EXPECT_EQ(scene.eyePoints[1].positionCm, (std::array<double, 3>{90, -30, -30}));
    EXPECT_EQ(conditions[1].inputs[static_cast<std::size_t>(StudyInput::ShieldLead)], "0.5");
    // The room is part of the study's identity, after the options of earlier versions.
    const std::vector<std::string> identity = studyIdentity(options);
    ASSERT_EQ(identity.size(), studyIdentity(parseStudyOptions({})).size() + 5);
    EXPECT_EQ(identity[identity.size() - 5].rfind("--scene ", 0), 0u);
    EXPECT_EQ(identity.back(), "--eye-height -50,-30");
    // The child engine is given the room written into the condition's folder.
    EXPECT_EQ(engineArguments(EngineSettings{2, "next-event"}, scene),
              (std::vector<std::string>{"--threads", "2", "--estimator", "next-event", "--scene",
                                        CONDITION_SCENE_FILE}));
    EXPECT_EQ(engineArguments(EngineSettings{}, std::nullopt), std::vector<std::string>{});
    EXPECT_EQ(conditionScene(parseStudyOptions({}), studyConditions(parseStudyOptions({}))[0]),
              std::nullopt);
}

TEST_F(SceneOptions, TheEyePointsColumnsFollowTheSceneAndReadBack) {
    const StudyOptions options = parseStudyOptions(
        {"--scene", file("room.scene.json"), "--pb", "0", "--estimator", "next-event",
         "--shield-lead", "0.25,0.5", "--kap", "50", "--procedures", "500"});
    const SummaryLayout layout = summaryLayout(options);
    const std::vector<std::string> header = summaryHeaderOf(layout);
    // The columns of earlier versions keep their places; the room's come before status.
    EXPECT_TRUE(
        std::equal(summaryHeader(true).begin(), summaryHeader(true).end() - 1, header.begin()));
    EXPECT_EQ(std::vector<std::string>(header.end() - 9, header.end()),
              (std::vector<std::string>{"shield_lead_mm", "shield_x_cm", "shield_z_cm",
                                        "eye_height_cm", "eye_point_operator_air_kerma_ratio",
                                        "eye_point_operator_rel_err_percent",
                                        "eye_point_assistant_air_kerma_ratio",
                                        "eye_point_assistant_rel_err_percent", "status"}));

    const std::vector<Condition> conditions = studyConditions(options);
    ConditionResult result;
    result.eyePoints = {{"assistant", {90, -30, -40}, 1.5e-4, 2.5, 0.01, true},
                        {"operator", {60, 30, -40}, 2.25e-4, 1.75, 0.002, false}};
    const SummaryRow ok = summaryRow(conditions[0], 2, "next-event", result, "", layout);
    const SummaryRow failed =
        summaryRow(conditions[1], 2, "next-event", std::nullopt, "engine stopped", layout);
    ASSERT_EQ(ok.size(), header.size());
    ASSERT_EQ(failed.size(), header.size());
    EXPECT_EQ(cellOf(ok, layout, "eye_point_operator_air_kerma_ratio"), "0.000225");
    EXPECT_EQ(cellOf(ok, layout, "eye_point_assistant_rel_err_percent"), "2.5");
    EXPECT_EQ(cellOf(ok, layout, "shield_lead_mm"), "0.25");
    EXPECT_EQ(cellOf(ok, layout, "status"), "ok, unstable tallies");  // the assistant's error
    EXPECT_EQ(inputCell(failed, layout, StudyInput::ShieldLead), "0.5");
    EXPECT_EQ(cellOf(failed, layout, "eye_point_operator_air_kerma_ratio"), "");
    EXPECT_TRUE(rowCompletes(ok, conditions[0], std::string("next-event"), layout));
    EXPECT_FALSE(rowCompletes(ok, conditions[1], std::string("next-event"), layout));

    const std::string summary =
        (std::filesystem::temp_directory_path() / "study_scene_summary_test.csv").string();
    writeSummary(summary, {failed, ok}, layout);
    const SummaryTable read = readSummaryTable(summary);
    std::filesystem::remove(summary);
    EXPECT_EQ(read.layout, layout);
    EXPECT_EQ(read.rows, (std::vector<SummaryRow>{ok, failed}));
    EXPECT_EQ(sweptColumns(read.rows, layout), std::vector<StudyInput>{StudyInput::ShieldLead});
    const SummaryPlotData plot = summaryPlotData(read.rows, {StudyInput::ShieldLead}, layout);
    ASSERT_EQ(plot.series.size(), 2u);
    EXPECT_EQ(plot.series[0].label, "operator");
    EXPECT_EQ(plot.series[0].points[0], (std::pair<double, std::optional<double>>{0.25, 2.25e-4}));
}

}  // namespace
}  // namespace korvana::study
