#include "hvl/hvl_file.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace korvana::hvl {
namespace {

TEST(HvlFile, FiveRightAlignedFieldsInTheirWidths) {
    HvlResult r;
    r.firstHvlCm = 0.25346f;
    r.firstEffectiveEnergyKev = 35.604f;
    r.secondHvlCm = 0.47871f;
    r.secondEffectiveEnergyKev = 41.1f;
    r.fluencePerExposure = 7.0288e11f;
    const std::vector<std::string> lines = formatHvlLines(r);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], " 2.535");
    EXPECT_EQ(lines[1], " 35.60");
    EXPECT_EQ(lines[2], " 4.787");
    EXPECT_EQ(lines[3], " 41.10");
    EXPECT_EQ(lines[4], "  702880022528.");  // the float nearest 7.0288e11, no decimals
}

TEST(HvlFile, ValuesTooWideFillTheFieldWithAsterisks) {
    HvlResult r;
    r.firstHvlCm = 12.5f;                 // 125.000 mm needs 7 columns
    r.firstEffectiveEnergyKev = 1000.0f;  // 1000.00 needs 7
    r.secondHvlCm = 0.05f;                // .500: no 0 before the point
    r.secondEffectiveEnergyKev = 100.0f;  // 100.00 fits exactly
    r.fluencePerExposure = 1e16f;         // 17 digits and a point
    const std::vector<std::string> lines = formatHvlLines(r);
    EXPECT_EQ(lines[0], "******");
    EXPECT_EQ(lines[1], "******");
    EXPECT_EQ(lines[2], "  .500");
    EXPECT_EQ(lines[3], "100.00");
    EXPECT_EQ(lines[4], std::string(15, '*'));
}

TEST(HvlFile, WrittenWithCrLfAndReplacesAnEarlierFile) {
    testing::ScopedWorkDir dir;
    testing::writeLines("HVL_S2.dat", {"old"});
    HvlResult r;
    r.firstHvlCm = 0.3f;
    r.firstEffectiveEnergyKev = 30.0f;
    r.secondHvlCm = 0.4f;
    r.secondEffectiveEnergyKev = 35.0f;
    r.fluencePerExposure = 1e9f;
    writeHvlFile(r, "HVL_S2.dat");
    EXPECT_EQ(testing::readWhole("HVL_S2.dat"),
              " 3.000\r\n 30.00\r\n 4.000\r\n 35.00\r\n    1000000000.\r\n");
}

}  // namespace
}  // namespace korvana::hvl
