#include "app/common/picture_format.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <stdexcept>

namespace korvana::app {
namespace {

struct PictureCase {
    double value;
    const char* picture;
    const char* expected;
};

void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.value << " as " << c.picture; }

class FormatPicture : public ::testing::TestWithParam<PictureCase> {};

TEST_P(FormatPicture, WritesTheValueAsThePictureShows) {
    const PictureCase& c = GetParam();
    EXPECT_EQ(formatPicture(c.value, c.picture), c.expected)
        << c.value << " with \"" << c.picture << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    FixedPoint, FormatPicture,
    ::testing::Values(
        // The spectrum file's pictures.
        PictureCase{10.5, "0000.0", "0010.5"}, PictureCase{0.5, "0000.0", "0000.5"},
        PictureCase{149.5, "0000.0", "0149.5"}, PictureCase{0.123, "0.00000", "0.12300"},
        PictureCase{1.0, "0.00000", "1.00000"}, PictureCase{0.0, "0.00000", "0.00000"},
        PictureCase{80.0, "000.0", "080.0"}, PictureCase{149.5, "000.0", "149.5"},
        PictureCase{12.0, "00.0", "12.0"}, PictureCase{2.5, "00.000", "02.500"},
        PictureCase{0.0, "00.000", "00.000"},
        // More integer digits than the picture shows are all written.
        PictureCase{123.45, "00.0", "123.5"}, PictureCase{1234.0, "0.000", "1234.000"},
        // Optional digits: no leading zeros, but the mandatory ones stay.
        PictureCase{5.0, "##0.0", "5.0"}, PictureCase{5.0, "#00.0", "05.0"},
        PictureCase{0.04, "#0.0", "0.0"}, PictureCase{0.5, "#.0", ".5"},
        PictureCase{2.5, "0.0#", "2.5"}, PictureCase{2.54, "0.0#", "2.54"},
        // Rounding on the exact binary value, halves away from zero.
        PictureCase{0.25, "#0.0", "0.3"}, PictureCase{0.35, "0.0", "0.3"},
        PictureCase{2.5346, "0.000", "2.535"}, PictureCase{0.000005, "0.00000", "0.00001"},
        PictureCase{0.0000049999, "0.00000", "0.00000"}, PictureCase{2.5, "0", "3"},
        // A carry adds an integer digit.
        PictureCase{99.96, "00.0", "100.0"}, PictureCase{9.9996, "0.000", "10.000"},
        // Negative values; one that rounds to zero has no sign.
        PictureCase{-1.25, "0.0", "-1.3"}, PictureCase{-12.0, "000.0", "-012.0"},
        PictureCase{-0.04, "0.0", "0.0"}, PictureCase{-0.0, "0.00", "0.00"}));

INSTANTIATE_TEST_SUITE_P(
    Exponent, FormatPicture,
    ::testing::Values(
        PictureCase{12345.0, "0.000E+00", "1.235E+04"},  // exact half, away from zero
        PictureCase{7.0288e11, "0.000E+00", "7.029E+11"},
        PictureCase{0.0, "0.000E+00", "0.000E+00"}, PictureCase{1.0, "0.0E+00", "1.0E+00"},
        PictureCase{0.00012, "0.0E+00", "1.2E-04"}, PictureCase{-2.5e-7, "0.0E+00", "-2.5E-07"},
        PictureCase{9.96, "0.0E+00", "1.0E+01"}, PictureCase{1e100, "0.0E+00", "1.0E+100"},
        PictureCase{1.5e-3, "0.00E-00", "1.50E-03"}, PictureCase{1.5e3, "0.00E-00", "1.50E03"},
        PictureCase{123.0, "00.0E+00", "12.3E+01"}, PictureCase{5e-5, "0.0e+0", "5.0e-5"},
        PictureCase{-1e-30, "0.0E+00", "-1.0E-30"}));

TEST(FormatPicture, NonFiniteValuesAreNamed) {
    EXPECT_EQ(formatPicture(std::numeric_limits<double>::infinity(), "0.0"), "Infinity");
    EXPECT_EQ(formatPicture(-std::numeric_limits<double>::infinity(), "0.0"), "-Infinity");
    EXPECT_EQ(formatPicture(std::numeric_limits<double>::quiet_NaN(), "0.0"), "NaN");
}

TEST(FormatPicture, UnsupportedPicturesAreProgramErrors) {
    for (const char* picture : {"", "0.0X", "E+00", "0.0E00", "0,0", "$0.00"}) {
        EXPECT_THROW(formatPicture(1.0, picture), std::invalid_argument) << picture;
    }
}

}  // namespace
}  // namespace korvana::app
