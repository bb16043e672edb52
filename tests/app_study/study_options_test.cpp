#include "app/study/study_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/run/case_file.h"
#include "app/study/summary_file.h"
#include "common/data_error.h"

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

}  // namespace
}  // namespace korvana::study
