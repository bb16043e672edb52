#include "app/common/free_form_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvana::app {
namespace {

TextLines fileOf(std::vector<std::string> lines) {
    return TextLines{"numbers.txt", std::move(lines)};
}

struct Spelling {
    const char* name;
    const char* text;
    double value;
};

class SpellingTest : public ::testing::TestWithParam<Spelling> {};

TEST_P(SpellingTest, ReadsAsItsValue) {
    const TextLines file = fileOf({GetParam().text});
    FreeFormReader reader(file);
    EXPECT_EQ(reader.next("a value"), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Items, SpellingTest,
    ::testing::Values(Spelling{"Plain", "1.5", 1.5}, Spelling{"FortranE", " .1250E+02", 12.5},
                      Spelling{"Negative", "-3", -3.0}, Spelling{"PlusSign", "+2", 2.0},
                      Spelling{"DExponent", "1D3", 1000.0}, Spelling{"SmallE", "1e-2", 0.01},
                      Spelling{"LeadingBlanksAndTab", " \t 7", 7.0},
                      Spelling{"CommaEnded", "7,8", 7.0}, Spelling{"NoLeadingDigit", ".035", 0.035},
                      Spelling{"TrailingPoint", "702882381824.", 702882381824.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FreeFormReaderTest, ItemsRunAcrossLinesSeparatorsAndEmptyLines) {
    const TextLines file = fileOf({"1 2,3", "", "   ", "4,, 5\t6"});
    FreeFormReader reader(file);
    for (double expected : {1.0, 2.0, 3.0, 4.0, 5.0, 6.0}) EXPECT_EQ(reader.next("v"), expected);
    EXPECT_EQ(reader.lastPosition().line, 4);
    EXPECT_EQ(reader.lastPosition().column, 7);
}

TEST(FreeFormReaderTest, StartsAtTheGivenLine) {
    const TextLines file = fileOf({"1", "2", "3"});
    FreeFormReader reader(file, 2);
    EXPECT_EQ(reader.next("v"), 3.0);
}

struct BadItem {
    const char* name;
    const char* text;
    int column;
};

class BadItemTest : public ::testing::TestWithParam<BadItem> {};

TEST_P(BadItemTest, IsRejectedWithItsPosition) {
    const TextLines file = fileOf({"1.0", std::string("2.0 ") + GetParam().text});
    FreeFormReader reader(file);
    reader.next("v");
    reader.next("v");
    try {
        reader.next("the tube voltage");
        FAIL() << "accepted " << GetParam().text;
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().fileName, "numbers.txt");
        EXPECT_EQ(e.where().line, 2);
        EXPECT_EQ(e.where().column, GetParam().column);
        EXPECT_NE(e.problem().find("the tube voltage"), std::string::npos) << e.problem();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Items, BadItemTest,
    ::testing::Values(BadItem{"Word", "abc", 5}, BadItem{"Asterisks", "*****", 5},
                      BadItem{"NotANumber", "nan", 5}, BadItem{"Infinite", "inf", 5},
                      BadItem{"TrailingLetters", "  80kV", 7}, BadItem{"TwoPoints", "1.2.3", 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FreeFormReaderTest, EndOfFileIsReportedWithWhatWasExpected) {
    const TextLines file = fileOf({"1", ""});
    FreeFormReader reader(file);
    reader.next("v");
    try {
        reader.next("the history count (line 322)");
        FAIL();
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().fileName, "numbers.txt");
        EXPECT_NE(e.problem().find("unexpected end of file before the history count"),
                  std::string::npos)
            << e.problem();
    }
}

}  // namespace
}  // namespace korvana::app
