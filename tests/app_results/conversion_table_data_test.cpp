// The shipped d-DperK.dDk: layout, its kerma column from MU_en2016.dat, and
// the ratio of its columns against the published Hp(3)/Ka values.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "app/common/free_form_reader.h"
#include "app/results/eye_lens_dose.h"
#include "common/text_file.h"
#include "temp_dir.h"

namespace korvana::app {
namespace {

using namespace korvana::testing;

// Six significant digits per written coefficient: the ratio of two of them
// agrees with the exact one to 5e-6 relative at worst.
constexpr double WRITTEN_DIGITS = 5e-6;

const std::string TABLE = std::string(KORVANA_DATA_DIR) + "/d-DperK.dDk";

double ratioAt(const ConversionTable& table, int bin) {
    return table.doseCoefficient3mm[bin] / table.kermaCoefficient[bin];
}

TEST(ConversionTableDataTest, HasThreeHundredRecordsOfThreeNumbersWithCrLf) {
    const std::string whole = readWhole(TABLE);
    int lines = 0;
    for (std::size_t pos = 0; (pos = whole.find('\n', pos)) != std::string::npos; ++pos) {
        ASSERT_GT(pos, 0u);
        ASSERT_EQ(whole[pos - 1], '\r') << "line " << lines + 1;
        ++lines;
    }
    EXPECT_EQ(lines, 300);
    const TextLines file = readTextFile(TABLE, FileKind::PhysicsTable);
    for (int i = 1; i <= 300; ++i) {
        const TextLines line{"d-DperK.dDk", {file.lines[i - 1]}};
        FreeFormReader reader(line);
        EXPECT_EQ(reader.next("energy"), i * 0.5);
        EXPECT_GT(reader.next("kerma"), 0.0);
        EXPECT_GT(reader.next("dose"), 0.0);
        EXPECT_THROW(reader.next("nothing"), DataError) << "record " << i;
    }
}

TEST(ConversionTableDataTest, KermaColumnIsEnergyTimesAirEnergyAbsorption) {
    const ConversionTable table = loadConversionTable(TABLE);
    const TextLines air =
        readTextFile(std::string(KORVANA_DATA_DIR) + "/MU_en2016.dat", FileKind::PhysicsTable);
    FreeFormReader reader(air);
    for (int i = 1; i <= 300; ++i) {
        reader.next("energy");
        const double muEn = reader.next("mu_en/rho");
        for (int skip = 0; skip < 3; ++skip) reader.next("other coefficient");
        EXPECT_NEAR(table.kermaCoefficient[i], i * 0.5 * muEn, WRITTEN_DIGITS * i * 0.5 * muEn)
            << "bin " << i;
    }
}

struct Published {
    double energyKeV;
    double hp3PerKerma;  // [Sv/Gy]
};

class PublishedPointTest : public ::testing::TestWithParam<Published> {};

TEST_P(PublishedPointTest, RatioEqualsTheTable) {
    const ConversionTable table = loadConversionTable(TABLE);
    const int bin = static_cast<int>(GetParam().energyKeV * 2);
    EXPECT_NEAR(ratioAt(table, bin), GetParam().hp3PerKerma,
                WRITTEN_DIGITS * GetParam().hp3PerKerma);
}

INSTANTIATE_TEST_SUITE_P(Iso4037, PublishedPointTest,
                         ::testing::Values(Published{8, 0.0614}, Published{10, 0.244},
                                           Published{20, 0.919}, Published{30, 1.22},
                                           Published{40, 1.45}, Published{50, 1.60},
                                           Published{60, 1.67}, Published{70, 1.67},
                                           Published{80, 1.65}, Published{90, 1.61},
                                           Published{100, 1.58}, Published{110, 1.55},
                                           Published{150, 1.45}));

// Local slope of log(ratio) against log(E) between bins i and i + 1.
double logSlope(const ConversionTable& table, int bin) {
    return std::log(ratioAt(table, bin + 1) / ratioAt(table, bin)) / std::log((bin + 1.0) / bin);
}

TEST(ConversionTableDataTest, RatioIsStraightInLogLogBetweenPublishedPoints) {
    const ConversionTable table = loadConversionTable(TABLE);
    // Inside 10-20 keV, where nothing is published, including around 15 keV:
    // one slope throughout, ln(0.919 / 0.244) / ln 2.
    const double slope = std::log(0.919 / 0.244) / std::log(2.0);
    for (int bin = 20; bin < 40; ++bin) EXPECT_NEAR(logSlope(table, bin), slope, 2e-3) << bin;
    EXPECT_NEAR(ratioAt(table, 30), 0.244 * std::pow(1.5, slope), 5e-6);
    // Below 8 keV the 8-10 keV segment goes on down towards 0.
    const double low = std::log(0.244 / 0.0614) / std::log(10.0 / 8.0);
    for (int bin = 2; bin < 20; ++bin) EXPECT_NEAR(logSlope(table, bin), low, 2e-2) << bin;
    EXPECT_LT(ratioAt(table, 1), 1e-8);
}

TEST(ConversionTableDataTest, RatioRisesToSixtyKeVAndFallsGentlyAboveSeventy) {
    const ConversionTable table = loadConversionTable(TABLE);
    for (int bin = 1; bin < 120; ++bin)
        EXPECT_LT(ratioAt(table, bin), ratioAt(table, bin + 1)) << bin;
    for (int bin = 120; bin < 140; ++bin) {
        EXPECT_NEAR(ratioAt(table, bin), 1.67, WRITTEN_DIGITS * 1.67) << bin;
    }
    for (int bin = 140; bin < 300; ++bin) {
        EXPECT_GT(ratioAt(table, bin), ratioAt(table, bin + 1)) << bin;
        EXPECT_LT(std::abs(logSlope(table, bin)), 0.3) << bin;  // no step anywhere
    }
}

}  // namespace
}  // namespace korvana::app
