#include "app/results/condition_texts.h"

#include <gtest/gtest.h>

namespace korvana::app {
namespace {

struct Decimal {
    double value;
    const char* text;
};

class ShortestDecimalTest : public ::testing::TestWithParam<Decimal> {};

TEST_P(ShortestDecimalTest, IsThePlainShortestForm) {
    EXPECT_EQ(shortestDecimal(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, ShortestDecimalTest,
                         ::testing::Values(Decimal{0.25, "0.25"}, Decimal{20.0, "20"},
                                           Decimal{0.035, "0.035"}, Decimal{2.5, "2.5"},
                                           Decimal{0.0, "0"}, Decimal{-0.0, "0"},
                                           Decimal{1500000.0, "1500000"}, Decimal{5e8, "500000000"},
                                           Decimal{-1.5, "-1.5"},
                                           Decimal{0.1 + 0.2, "0.30000000000000004"},
                                           Decimal{1e-7, "0.0000001"}));

TEST(ConditionTextsTest, HistoryCountHasOneDecimalAndTwoExponentDigits) {
    EXPECT_EQ(historyCountText(1e6), "1.0E+06");
    EXPECT_EQ(historyCountText(5e8), "5.0E+08");
    EXPECT_EQ(historyCountText(2e4), "2.0E+04");
}

TEST(ConditionTextsTest, BrowserBoxesFollowFileOrder) {
    const RunConditions c{20.0, 80.0, 25.0, 30.0, 0.25, 60.0, 80.0, 12.0, 2.5, 1.5, 0.0, 1e6};
    const std::array<std::string, CONDITION_COUNT> expected = {
        "20", "80", "25", "30", "0.25", "60", "80", "12", "2.5", "1.5", "0", "1.0E+06"};
    EXPECT_EQ(browserConditionTexts(c), expected);
}

TEST(ConditionTextsTest, MapBoxesShowADashForEachCurtainValueWithoutLead) {
    RunConditions c{20.0, 80.0, 25.0, 30.0, 0.0, 60.0, 80.0, 12.0, 2.5, 1.5, 0.1, 5e8};
    MapConditionTexts texts = mapConditionTexts(c);
    EXPECT_FALSE(hasCurtain(c));
    EXPECT_EQ(texts.curtainLead, "-");
    EXPECT_EQ(texts.curtainLength, "-");
    EXPECT_EQ(texts.fieldSizeY, "25");
    EXPECT_EQ(texts.fieldSizeX, "30");
    EXPECT_EQ(texts.addedCopper, "0.1");
    EXPECT_EQ(texts.historyCount, "5.0E+08");
    c.curtainLeadMm = 0.35;
    texts = mapConditionTexts(c);
    EXPECT_TRUE(hasCurtain(c));
    EXPECT_EQ(texts.curtainLead, "0.35");
    EXPECT_EQ(texts.curtainLength, "60");
}

}  // namespace
}  // namespace korvana::app
