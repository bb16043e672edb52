#include "app/study/value_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/data_error.h"

namespace korvana::study {
namespace {

struct Expansion {
    const char* text;
    std::vector<std::string> values;
};

void PrintTo(const Expansion& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class NumberList : public testing::TestWithParam<Expansion> {};

TEST_P(NumberList, GivesTheValuesInOrder) {
    EXPECT_EQ(expandNumberList(GetParam().text, "kv"), GetParam().values) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, NumberList,
    testing::Values(
        Expansion{"80", {"80"}}, Expansion{"1e7", {"1e7"}}, Expansion{"+.5", {"+.5"}},
        Expansion{"-2", {"-2"}}, Expansion{"0,0.25,0.35,0.5", {"0", "0.25", "0.35", "0.5"}},
        Expansion{"60:100:20", {"60", "80", "100"}},
        Expansion{"60:110:20", {"60", "80", "100"}},      // stop not reached
        Expansion{"0.1:0.3:0.1", {"0.1", "0.2", "0.3"}},  // 0.30000000000000004
        Expansion{"0:1:0.1",
                  {"0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1"}},
        Expansion{"100:60:-20", {"100", "80", "60"}}, Expansion{"5:5:1", {"5"}},  // a single value
        Expansion{"0,10:30:10", {"0", "10", "20", "30"}}));                       // mixed

struct Refusal {
    const char* text;
    const char* reason;  //!< a part of the message
};

void PrintTo(const Refusal& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class NumberListRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(NumberListRefusal, NamesTheReason) {
    try {
        expandNumberList(GetParam().text, "kv");
        FAIL() << GetParam().text << " was accepted";
    } catch (const DataError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().reason), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("--kv"), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, NumberListRefusal,
    testing::Values(Refusal{"", "empty item"}, Refusal{"1,,2", "empty item"},
                    Refusal{"1,", "empty item"}, Refusal{"80kV", "not a number"},
                    Refusal{"nan", "not a number"}, Refusal{"inf", "not a number"},
                    Refusal{"1e999", "not a number"}, Refusal{"0x10", "not a number"},
                    Refusal{"60:100", "three parts"}, Refusal{"1:2:3:4", "three parts"},
                    Refusal{"60:100:0", "zero step"}, Refusal{"60:100:-20", "away from its stop"},
                    Refusal{"100:60:20", "away from its stop"},
                    Refusal{"0:1e9:1e-3", "more than 100000 values"},
                    Refusal{"60:x:20", "not a number"}, Refusal{"0.5,.5", "twice"},
                    Refusal{"60,60:100:20", "twice"}));

TEST(FieldList, SquaresFromNumbersAndPairsAsGiven) {
    EXPECT_EQ(expandFieldList("25x25", "field"), (std::vector<std::string>{"25x25"}));
    EXPECT_EQ(expandFieldList("30x20,10:20:10", "field"),
              (std::vector<std::string>{"30x20", "10x10", "20x20"}));
    EXPECT_THROW(expandFieldList("25x", "field"), DataError);
    EXPECT_THROW(expandFieldList("20,20x20", "field"), DataError);  // the same field twice
}

TEST(WordList, KnownWordsOnce) {
    const std::vector<std::string> modes = {"cp", "3phase", "1phase"};
    EXPECT_EQ(expandWordList("cp,1phase", "mode", modes),
              (std::vector<std::string>{"cp", "1phase"}));
    EXPECT_THROW(expandWordList("cp,dc", "mode", modes), DataError);
    EXPECT_THROW(expandWordList("cp,cp", "mode", modes), DataError);
}

}  // namespace
}  // namespace korvana::study
