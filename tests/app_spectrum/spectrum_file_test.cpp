#include "app/spectrum/spectrum_file.h"

#include <gtest/gtest.h>

#include "common/grid_tables.h"
#include "temp_dir.h"

namespace korvana::app {
namespace {

GeneratedSpectrum sampleSpectrum() {
    GeneratedSpectrum g;
    g.spectrumPeak = 0.561663;
    g.incidentSpectrum[21] = 0.123 * g.spectrumPeak;
    g.incidentSpectrum[72] = g.spectrumPeak;
    g.incidentSpectrum[159] = 0.0000049 * g.spectrumPeak;
    return g;
}

//! The default condition: 80 kV, 12 degrees, 2.5 mm Al inherent, 1.5 mm Al added, no copper.
IrradiationConditions sampleConditions() { return IrradiationConditions{}; }

TEST(SpectrumFile, LinesOfFifteenCharactersThenTheDescriptor) {
    const std::vector<std::string> lines =
        formatSpectrumLines(sampleSpectrum(), sampleConditions());
    ASSERT_EQ(lines.size(), 306u);
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(lines[i].size(), 15u) << i + 1;
        EXPECT_EQ(lines[i].substr(6, 2), ", ") << i + 1;
    }
    EXPECT_EQ(lines[0], "0000.5, 0.00000");
    EXPECT_EQ(lines[20], "0010.5, 0.12300");
    EXPECT_EQ(lines[71], "0036.0, 1.00000");
    EXPECT_EQ(lines[158], "0079.5, 0.00000");
    EXPECT_EQ(lines[299], "0150.0, 0.00000");
    EXPECT_EQ(lines[300], "561.663");
    EXPECT_EQ(lines[301], "080.0");
    EXPECT_EQ(lines[302], "12.0");
    EXPECT_EQ(lines[303], "02.500");
    EXPECT_EQ(lines[304], "01.500");
    EXPECT_EQ(lines[305], "00.000");
}

TEST(SpectrumFile, WiderValuesKeepAllTheirIntegerDigits) {
    IrradiationConditions c = sampleConditions();
    c.tubeVoltageKv = 149.5;
    c.targetAngleDeg = 7.25;
    c.addedAluminiumCm = 1.2345;
    const std::vector<std::string> lines = formatSpectrumLines(sampleSpectrum(), c);
    EXPECT_EQ(lines[301], "149.5");
    EXPECT_EQ(lines[302], "07.3");
    EXPECT_EQ(lines[304], "12.345");
}

TEST(PlainNumber, FifteenSignificantDigitsWithoutTrailingZeros) {
    EXPECT_EQ(plainNumber(561.663), "561.663");
    EXPECT_EQ(plainNumber(0.5), "0.5");
    EXPECT_EQ(plainNumber(2.0 / 3.0), "0.666666666666667");
    EXPECT_EQ(plainNumber(1.0e20), "1e+20");
    EXPECT_EQ(plainNumber(0.00002), "2e-05");
}

TEST(SpectrumFile, BytesOnDiskAreCrLfLinesTheBatchReaderReads) {
    testing::ScopedWorkDir dir;
    writeSpectrumFile(sampleSpectrum(), sampleConditions(), "B_SPCTL.dat");
    const std::string bytes = testing::readWhole("B_SPCTL.dat");
    EXPECT_EQ(bytes.size(), 300u * 17u + (7 + 5 + 4 + 6 + 6 + 6) + 6u * 2u);
    EXPECT_EQ(bytes.substr(20 * 17, 17), "0010.5, 0.12300\r\n");
    EXPECT_EQ(bytes.substr(bytes.size() - 8), "00.000\r\n");

    const SpectrumFile read = loadSpectrum("B_SPCTL.dat", DescriptorLines::Read);
    EXPECT_FLOAT_EQ(read.spectrum[21], 0.123f);
    EXPECT_EQ(read.spectrum[72], 1.0f);
    EXPECT_FLOAT_EQ(read.descriptor.peakTimes1000, 561.663f);
    EXPECT_EQ(read.descriptor.tubeVoltageKv, 80.0f);
    EXPECT_EQ(read.descriptor.targetAngleDeg, 12.0f);
    EXPECT_EQ(read.descriptor.inherentFiltrationMmAl, 2.5f);
    EXPECT_EQ(read.descriptor.addedAluminiumMm, 1.5f);
    EXPECT_EQ(read.descriptor.addedCopperMm, 0.0f);
}

//! A spectrum file of the default case (80 kV, 12 degrees, 2.5, 1.5 and 0 mm), as read back.
BeamDescriptor defaultDescriptor() { return {561.663f, 80.0f, 12.0f, 2.5f, 1.5f, 0.0f}; }

TEST(SpectrumConditionDifferences, NameEveryConditionTheFileDoesNotHold) {
    using C = SpectrumCondition;
    using R = RectificationMode;
    struct Case {
        const char* what;
        ConditionTexts texts;
        std::optional<R> fileMode;
        R formMode;
        std::vector<SpectrumConditionDifference> expected;
    };
    const ConditionTexts same{"80", "12", "2.5", "1.5", "0"};
    const Case cases[] = {
        {"the same entries", same, R::ConstantPotential, R::ConstantPotential, {}},
        {"same within the file's 0.1 kV",
         {"80.04", "12", "2.5", "1.5", "0"},
         {},
         R::ConstantPotential,
         {}},
        {"typed differently, same value",
         {" 8 0 kV", "12.0", "2.50", "1.5", ""},
         {},
         R::ConstantPotential,
         {}},
        {"another voltage",
         {"100", "12", "2.5", "1.5", "0"},
         {},
         R::ConstantPotential,
         {{C::TubeVoltage, "80", "100"}}},
        {"voltage step (4) corrects to 149.5",
         {"200", "12", "2.5", "1.5", "0"},
         {},
         R::ConstantPotential,
         {{C::TubeVoltage, "80", "149.5"}}},
        {"two filters",
         {"80", "12", "2.5", "3", "0.1"},
         {},
         R::ConstantPotential,
         {{C::AddedAluminium, "1.5", "3"}, {C::AddedCopper, "0", "0.1"}}},
        {"an angle step (4) refuses, compared as typed",
         {"80", "0", "2.5", "1.5", "0"},
         {},
         R::ConstantPotential,
         {{C::TargetAngle, "12", "0"}}},
        {"rectification known",
         same,
         R::ConstantPotential,
         R::SinglePhaseFullWave,
         {{C::Rectification, "cp", "1phase"}}},
        {"rectification unknown", same, std::nullopt, R::SinglePhaseFullWave, {}},
    };
    for (const Case& c : cases) {
        const auto found =
            spectrumConditionDifferences(defaultDescriptor(), c.fileMode, c.texts, c.formMode);
        ASSERT_EQ(found.size(), c.expected.size()) << c.what;
        for (std::size_t n = 0; n < found.size(); ++n) {
            EXPECT_EQ(found[n].condition, c.expected[n].condition) << c.what;
            EXPECT_EQ(found[n].inFile, c.expected[n].inFile) << c.what;
            EXPECT_EQ(found[n].inForm, c.expected[n].inForm) << c.what;
        }
    }
}

}  // namespace
}  // namespace korvana::app
