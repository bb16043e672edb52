#include "app/study/study_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
                    Refusal{{"--mode", "dc"}, "not one of"}));

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
