#include "common/grid_tables.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "common/data_error.h"
#include "temp_dir.h"

namespace korvana {
namespace {

using testing::ScopedWorkDir;
using testing::writeLines;

std::string line(const char* format, double a, double b) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

TEST(LoadGridTable, RowPositionNotEnergyDecidesTheBin) {
    ScopedWorkDir dir;
    std::vector<std::string> lines;
    for (int i = 1; i <= 300; ++i) {
        // Energy column deliberately wrong and even nonsense-valued.
        lines.push_back(line("%9.3f%12.4e", 999.0 - i, i * 0.5));
    }
    lines.push_back("extra lines are ignored");
    writeLines("Pb.dat", lines);
    const GridTable t = loadLeadAttenuation("Pb.dat");
    EXPECT_EQ(t[0], 0.0f);
    EXPECT_EQ(t[1], 0.5f);
    EXPECT_EQ(t[20], 10.0f);
    EXPECT_EQ(t[300], 150.0f);
}

TEST(LoadGridTable, AirTableKeepsTheSecondFieldAndChecksAllFields) {
    ScopedWorkDir dir;
    std::vector<std::string> lines;
    for (int i = 1; i <= 300; ++i) {
        lines.push_back(line("%11.4e%15.6e", i * 0.5, 1.0 / i) +
                        "   .100000E+01   .200000E+01"
                        "   .300000E+01");
    }
    writeLines("MU_en2016.dat", lines);
    EXPECT_EQ(loadAirEnergyAbsorption("MU_en2016.dat")[4], 0.25f);

    lines[41].replace(60, 5, "abcde");
    writeLines("MU_en2016.dat", lines);
    try {
        loadAirEnergyAbsorption("MU_en2016.dat");
        FAIL();
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().line, 42);
        EXPECT_EQ(e.where().column, 57);
    }
}

TEST(LoadGridTable, ShortFileNamesTheFirstMissingLine) {
    ScopedWorkDir dir;
    std::vector<std::string> lines(299, " .500E+00  .1000E+01");
    writeLines("Pb.dat", lines);
    try {
        loadLeadAttenuation("Pb.dat");
        FAIL();
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().fileName, "Pb.dat");
        EXPECT_EQ(e.where().line, 300);
    }
}

std::vector<std::string> spectrumLines() {
    std::vector<std::string> lines;
    for (int i = 1; i <= 300; ++i) {
        lines.push_back(line("%06.1f, %7.5f", i * 0.5, i < 160 ? i / 160.0 : 0.0));
    }
    for (const char* d : {"1234.5", "080.0", "12.0", "02.500", "01.500", "00.000"}) {
        lines.push_back(d);
    }
    return lines;
}

TEST(LoadSpectrum, BinsAndDescriptor) {
    ScopedWorkDir dir;
    std::vector<std::string> lines = spectrumLines();
    ASSERT_EQ(lines[20], "0010.5, 0.13125");
    lines[20] = "   abc; 0.12300";  // the energy column is not a bin number ... but must read
    writeLines("B_SPCTL.dat", lines);
    EXPECT_THROW(loadSpectrum("B_SPCTL.dat", DescriptorLines::Ignore), DataError);
    lines[20] = "9999.9; 0.12300";
    lines[21] = "0011.0,  12300";  // no point: five implied decimals
    writeLines("B_SPCTL.dat", lines);
    const SpectrumFile s = loadSpectrum("B_SPCTL.dat", DescriptorLines::Read);
    EXPECT_EQ(s.spectrum[21], 0.123f);
    EXPECT_EQ(s.spectrum[22], 0.123f);
    EXPECT_EQ(s.spectrum[159], 0.99375f);
    EXPECT_EQ(s.spectrum[160], 0.0f);
    EXPECT_EQ(s.descriptor.peakTimes1000, 1234.5f);
    EXPECT_EQ(s.descriptor.tubeVoltageKv, 80.0f);
    EXPECT_EQ(s.descriptor.targetAngleDeg, 12.0f);
    EXPECT_EQ(s.descriptor.inherentFiltrationMmAl, 2.5f);
    EXPECT_EQ(s.descriptor.addedAluminiumMm, 1.5f);
    EXPECT_EQ(s.descriptor.addedCopperMm, 0.0f);
}

TEST(LoadSpectrum, DescriptorLinesAreOnlyNeededWhenRead) {
    ScopedWorkDir dir;
    std::vector<std::string> lines = spectrumLines();
    lines.resize(303);
    writeLines("B_SPCTL.dat", lines);
    EXPECT_EQ(loadSpectrum("B_SPCTL.dat", DescriptorLines::Ignore).spectrum[1], 1 / 160.0f);
    try {
        loadSpectrum("B_SPCTL.dat", DescriptorLines::Read);
        FAIL();
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().line, 304);
    }
}

// A damaged spectrum line is refused at its line and the fluence column, by
// the engine and the HVL calculator alike.
struct DamagedSpectrumLine {
    int line;          //!< 1-based
    const char* text;  //!< replaces the line
};

class LoadSpectrumDamaged : public ::testing::TestWithParam<DamagedSpectrumLine> {};

TEST_P(LoadSpectrumDamaged, NamesTheLineAndTheFluenceColumn) {
    const DamagedSpectrumLine& c = GetParam();
    ScopedWorkDir dir;
    std::vector<std::string> lines = spectrumLines();
    lines[static_cast<std::size_t>(c.line - 1)] = c.text;
    writeLines("B_SPCTL.dat", lines);
    try {
        loadSpectrum("B_SPCTL.dat", DescriptorLines::Ignore);
        FAIL() << c.text;
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().line, c.line) << c.text;
        EXPECT_EQ(e.where().column, 8) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LoadSpectrumDamaged,
    ::testing::Values(DamagedSpectrumLine{41, "0020.5, -0.1000"},   // a negative fluence
                      DamagedSpectrumLine{300, "0150.0,-0.00001"},  // the smallest negative
                      DamagedSpectrumLine{21, "0010.5, 0.1x300"},   // not a number
                      DamagedSpectrumLine{6, "0003.0"}));           // fluence missing

}  // namespace
}  // namespace korvana
