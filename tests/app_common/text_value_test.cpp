#include "app/common/text_value.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <ostream>

namespace korvana::app {
namespace {

struct TextCase {
    const char* text;
    double value;
    bool whole;  //!< the whole text is one number
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class TextValue : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextValue, TakesTheLeadingNumberIgnoringBlanks) {
    const TextCase& c = GetParam();
    EXPECT_EQ(textValue(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(isWholeNumber(c.text), c.whole) << '"' << c.text << '"';
}

constexpr double INF = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Spellings, TextValue,
    ::testing::Values(
        TextCase{"80", 80, true}, TextCase{"2.5", 2.5, true}, TextCase{"  -2.5 ", -2.5, true},
        TextCase{"+3", 3, true}, TextCase{".5", 0.5, true}, TextCase{"5.", 5, true},
        // Blanks, tabs and line feeds anywhere are ignored.
        TextCase{"1 2", 12, true}, TextCase{"1 . 5", 1.5, true}, TextCase{"\t1\n2", 12, true},
        TextCase{"- 4", -4, true},
        // The first other character ends the number.
        TextCase{"80kV", 80, false}, TextCase{"1.2.3", 1.2, false}, TextCase{"2,5", 2, false},
        TextCase{"1\r", 1, false}, TextCase{"12 mm", 12, false},
        // Exponents, and an E without digits that is not one.
        TextCase{"1e3", 1000, true}, TextCase{"1E-2", 0.01, true}, TextCase{"2.5E+1", 25, true},
        TextCase{"1e", 1, false}, TextCase{"1e+", 1, false}, TextCase{"1E2x", 100, false},
        // Empty and non-numeric texts are 0.
        TextCase{"", 0, false}, TextCase{"   ", 0, false}, TextCase{"abc", 0, false},
        TextCase{"-", 0, false}, TextCase{".", 0, false}, TextCase{"e5", 0, false},
        // Hexadecimal and octal integers.
        TextCase{"&H1F", 31, true}, TextCase{"&h ff", 255, true}, TextCase{"&O17", 15, true},
        TextCase{"&o8", 0, false}, TextCase{"&Hxyz", 0, false}, TextCase{"&H", 0, false},
        TextCase{"&O777z", 511, false},
        // Beyond the range of a double.
        TextCase{"1e400", INF, true}, TextCase{"-1e400", -INF, true}, TextCase{"1e-400", 0, true},
        TextCase{"0.0001e-320", 0, true}));

TEST(TextValue, PointIsTheDecimalSeparatorWhateverTheLocale) {
    // A locale with a decimal comma must not change the reading of "2.5".
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no German locale installed";
    }
    EXPECT_EQ(textValue("2.5"), 2.5);
    EXPECT_EQ(textValue("2,5"), 2.0);
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
}  // namespace korvana::app
