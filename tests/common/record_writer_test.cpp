#include "common/record_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "common/record_reader.h"

namespace korvana {
namespace {

constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();
constexpr double INFINITE = std::numeric_limits<double>::infinity();

struct Written {
    double value;
    int width;
    int decimals;
    const char* text;
};

class FixedOutput : public testing::TestWithParam<Written> {};

TEST_P(FixedOutput, RoundsAlignsAndOverflows) {
    const Written& c = GetParam();
    EXPECT_EQ(formatFixed(c.value, c.width, c.decimals), c.text)
        << c.value << " F" << c.width << "." << c.decimals;
}

INSTANTIATE_TEST_SUITE_P(
    NoLeadingZero, FixedOutput,
    testing::Values(Written{0.5, 6, 1, "    .5"}, Written{0.0, 6, 1, "    .0"},
                    Written{-0.5, 6, 1, "   -.5"}, Written{-0.04, 6, 1, "    .0"},
                    Written{-0.0, 6, 1, "    .0"}, Written{0.96, 6, 1, "   1.0"},
                    Written{0.12345, 8, 5, "  .12345"}, Written{0.5, 2, 1, ".5"},
                    Written{-0.5, 3, 1, "-.5"}, Written{0.9999996, 9, 6, " 1.000000"}));

INSTANTIATE_TEST_SUITE_P(
    Rounding, FixedOutput,
    testing::Values(Written{10.5, 6, 1, "  10.5"}, Written{150.0, 6, 1, " 150.0"},
                    Written{-10.46, 6, 1, " -10.5"}, Written{9.9994, 5, 3, "9.999"},
                    // Binary values just below the decimal midpoint round down.
                    Written{0.15, 5, 1, "   .1"}, Written{2.675, 5, 2, " 2.67"},
                    Written{static_cast<double>(0.1f), 11, 9, " .100000001"},
                    Written{12.3, 4, 0, " 12."}, Written{0.4, 3, 0, " 0."},
                    Written{-0.4, 3, 0, " 0."}, Written{123.456, 7, 3, "123.456"}));

INSTANTIATE_TEST_SUITE_P(
    Asterisks, FixedOutput,
    testing::Values(Written{10.0, 5, 3, "*****"}, Written{9.9996, 5, 3, "*****"},
                    Written{-99.95, 5, 1, "*****"}, Written{-1.0, 3, 2, "***"},
                    Written{1.0e300, 6, 1, "******"}, Written{NOT_A_NUMBER, 6, 1, "******"},
                    Written{INFINITE, 4, 1, "****"}, Written{-INFINITE, 4, 1, "****"}));

class ExponentOutput : public testing::TestWithParam<Written> {};

TEST_P(ExponentOutput, WritesPointDigitsAndExponent) {
    const Written& c = GetParam();
    EXPECT_EQ(formatExponent(c.value, c.width, c.decimals), c.text)
        << c.value << " E" << c.width << "." << c.decimals;
}

INSTANTIATE_TEST_SUITE_P(
    Mantissa, ExponentOutput,
    testing::Values(Written{12.5, 10, 4, " .1250E+02"}, Written{0.0, 10, 4, " .0000E+00"},
                    Written{-0.0, 10, 4, " .0000E+00"}, Written{1.0, 10, 4, " .1000E+01"},
                    Written{0.035, 10, 4, " .3500E-01"}, Written{-12.5, 10, 4, "-.1250E+02"},
                    Written{123456.0, 9, 3, " .123E+06"}, Written{1.5e6, 8, 1, "  .2E+07"},
                    Written{1.2345678e-5, 11, 4, "  .1235E-04"},
                    Written{static_cast<double>(0.1f), 15, 8, "  .10000000E+00"},
                    Written{static_cast<double>(0.1f), 15, 9, " .100000001E+00"},
                    Written{0.5, 9, 4, ".5000E+00"}));

INSTANTIATE_TEST_SUITE_P(
    RoundingCarry, ExponentOutput,
    testing::Values(Written{9.99996, 10, 4, " .1000E+02"}, Written{-9.99996, 10, 4, "-.1000E+02"},
                    Written{0.099999, 10, 3, "  .100E+00"}, Written{9.9994, 10, 4, " .9999E+01"},
                    Written{0.15, 8, 1, "  .1E+00"}, Written{9.5e-10, 9, 1, "   .1E-08"}));

INSTANTIATE_TEST_SUITE_P(
    WideExponents, ExponentOutput,
    testing::Values(Written{1.0e99, 10, 4, " .1000+100"}, Written{-1.0e99, 10, 4, "-.1000+100"},
                    Written{-2.5e150, 11, 4, " -.2500+151"}, Written{1.0e-100, 10, 4, " .1000E-99"},
                    Written{1.0e-101, 10, 4, " .1000-100"}, Written{4.9e-324, 10, 4, " .4941-323"},
                    Written{1.0e-9, 10, 4, " .1000E-08"}));

INSTANTIATE_TEST_SUITE_P(Asterisks, ExponentOutput,
                         testing::Values(Written{12.5, 8, 4, "********"},
                                         Written{0.0, 8, 4, "********"},
                                         Written{-12.5, 9, 4, "*********"},
                                         Written{-1.0e99, 9, 4, "*********"},
                                         Written{NOT_A_NUMBER, 10, 4, "**********"},
                                         Written{INFINITE, 10, 4, "**********"},
                                         Written{-INFINITE, 10, 4, "**********"}));

struct WrittenInteger {
    long value;
    int width;
    const char* text;
};

class IntegerOutput : public testing::TestWithParam<WrittenInteger> {};

TEST_P(IntegerOutput, RightAlignedOrAsterisks) {
    EXPECT_EQ(formatInteger(GetParam().value, GetParam().width), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, IntegerOutput,
                         testing::Values(WrittenInteger{7, 3, "  7"}, WrittenInteger{241, 3, "241"},
                                         WrittenInteger{-10, 3, "-10"}, WrittenInteger{0, 1, "0"},
                                         WrittenInteger{1000, 3, "***"},
                                         WrittenInteger{-10, 2, "**"}, WrittenInteger{-5, 1, "*"}));

TEST(RecordWriter, ConsoleProgressLines) {
    const RecordFormat count("(' ',I3,' / ',I3)");
    EXPECT_EQ(RecordWriter(count).integer(10).integer(241).line(), "  10 / 241");
    const RecordFormat clock("(' ',' Start time =',I2,':',I2,':',I2)");
    EXPECT_EQ(RecordWriter(clock).integer(9).integer(5).integer(7).line(),
              "  Start time = 9: 5: 7");
    EXPECT_EQ(RecordWriter(clock).integer(23).integer(59).integer(100).line(),
              "  Start time =23:59:**");
}

TEST(RecordWriter, ScoredTableLineHasElevenFields) {
    const RecordFormat format("(F6.1,10E10.4)");
    RecordWriter writer(format);
    writer.real(150.0);
    for (int i = 1; i <= 10; ++i) {
        writer.real(i * 1.25e-3);
    }
    const std::string line = writer.line();
    ASSERT_EQ(line.size(), 106u);
    EXPECT_EQ(line.substr(0, 26), " 150.0 .1250E-02 .2500E-02");
    EXPECT_EQ(line.substr(96), " .1250E-01");
}

TEST(RecordWriter, TwentyOneColumnTableLine) {
    const RecordFormat format("(21E11.4)");
    RecordWriter writer(format);
    for (int i = 0; i < 21; ++i) {
        writer.real(-0.5 * i);
    }
    const std::string line = writer.line();
    ASSERT_EQ(line.size(), 231u);
    EXPECT_EQ(line.substr(0, 22), "  .0000E+00 -.5000E+00");
    EXPECT_EQ(line.substr(220), " -.1000E+02");
}

TEST(RecordWriter, BlanksBetweenFields) {
    const RecordFormat format("(E10.4,2X,E10.4,2X,E10.4)");
    EXPECT_EQ(RecordWriter(format).real(1.0).real(-2.0).real(0.0).line(),
              " .1000E+01  -.2000E+01   .0000E+00");
}

TEST(RecordWriter, TextFields) {
    const RecordFormat binRecord("(F6.1,A1,F8.5)");
    EXPECT_EQ(RecordWriter(binRecord).real(10.5).text("*").real(0.12345).line(), "  10.5*  .12345");
    const RecordFormat fixedWidth("(A5,'|',A5,'|',A)");
    EXPECT_EQ(RecordWriter(fixedWidth).text("ab").text("abcdefg").text("as it is  ").line(),
              "   ab|abcde|as it is  ");
}

TEST(RecordWriter, TrailingLayoutItemsCompleteTheLine) {
    const RecordFormat format("(I2,' end',3X)");
    EXPECT_EQ(RecordWriter(format).integer(1).line(), " 1 end   ");
    const RecordFormat header("(' Energy',5X,'Fluence')");
    EXPECT_EQ(RecordWriter(header).line(), " Energy     Fluence");
}

TEST(RecordWriter, NumbersCrossBetweenNumericKinds) {
    const RecordFormat format("(I3,I3,I3,F5.1,E9.2)");
    RecordWriter writer(format);
    writer.real(2.5).real(-2.5).real(NOT_A_NUMBER).integer(12).integer(-3);
    EXPECT_EQ(writer.line(), "  3 -3*** 12.0 -.30E+01");
}

TEST(RecordWriter, MisuseIsAProgrammingError) {
    const RecordFormat format("(I3,A2)");
    EXPECT_THROW(RecordWriter(format).text("x"), std::logic_error);
    EXPECT_THROW(RecordWriter(format).integer(1).integer(2), std::logic_error);
    EXPECT_THROW(RecordWriter(format).integer(1).real(2.0), std::logic_error);
    EXPECT_THROW(RecordWriter(format).integer(1).line(), std::logic_error);
    EXPECT_THROW(RecordWriter(format).integer(1).text("ab").text("cd"), std::logic_error);
    const RecordFormat real("(F6.1)");
    EXPECT_THROW(RecordWriter(real).text("1.0"), std::logic_error);
}

// What the programs write, the readers must read back to the same rounded value.
TEST(RecordWriter, WrittenFieldsReadBack) {
    const RecordFormat format("(F6.1,E10.4,2X,E15.6,I5)");
    const double values[] = {150.0, 0.00123456, -9.87654e-20};
    const std::string line =
        RecordWriter(format).real(values[0]).real(values[1]).real(values[2]).integer(-42).line();
    RecordReader reader(format, line, SourcePosition{"out.dat", 1, 0});
    EXPECT_EQ(reader.readReal(), 150.0f);
    EXPECT_EQ(reader.readReal(), 0.1235e-2f);
    EXPECT_EQ(reader.readReal(), -0.987654e-19f);
    EXPECT_EQ(reader.readInteger(), -42);
    EXPECT_EQ(reader.column(), static_cast<int>(line.size()) + 1);
}

}  // namespace
}  // namespace korvana
