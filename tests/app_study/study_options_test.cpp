#include "app/study/study_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    testing::Values(Refusal{{"--bogus", "1"}, "not expected"},
                    Refusal{{"--pb", "0", "extra"}, "not expected"}, Refusal{{"--kv"}, "--kv"},
                    Refusal{{"--kv", "60:100"}, "three parts"},
                    Refusal{{"--kv", "30:130:0.1", "--pb", "0,0.5"}, "--yes"},
                    Refusal{{"--part", "3/2"}, "K/N"}, Refusal{{"--part", "0/2"}, "K/N"},
                    Refusal{{"--part", "1-2"}, "K/N"}, Refusal{{"--histories", "0"}, "no photon"},
                    Refusal{{"--threads", "-1"}, "negative"},
                    Refusal{{"--estimator", "fast"}, "not one of"},
                    Refusal{{"--mode", "dc"}, "not one of"},
                    // 10^20 conditions: the product once wrapped to a small count.
                    Refusal{{"--thickness", "1:100000:1", "--fsd", "1:100000:1", "--al",
                             "0:99999:1", "--cu", "0:99999:1", "--yes"},
                            "more than 1000000 conditions"},
                    Refusal{{"--kv", "1:1000:1", "--angle", "1:89:1", "--al", "0:99:1", "--yes"},
                            "more than 1000000 conditions"},
                    // Values the result file cannot hold: refused as the engine would.
                    Refusal{{"--fsd", "80,1000", "--pb", "0"},
                            "--fsd: the focus-surface distance [cm] 1000 is more than 999.9"},
                    Refusal{{"--field", "1000x25", "--pb", "0"}, "--field: the field size"},
                    Refusal{{"--pb", "10"}, "--pb: the curtain lead thickness"},
                    Refusal{{"--pb", "0", "--length", "-100"}, "--length: the curtain length"},
                    Refusal{{"--pb", "0", "--histories", "1e30"}, "--histories:"}));

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
    EXPECT_EQ(row[inputColumn(StudyInput::Kv)], "149.5");
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
