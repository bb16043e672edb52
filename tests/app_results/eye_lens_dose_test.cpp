// Lead-protected air kerma and eye lens dose, on the shipped Pb.dat and
// d-DperK.dDk and on scattered spectra chosen by the tests.
#include "app/results/eye_lens_dose.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "app/results/lead_protection.h"
#include "common/text_file.h"
#include "result_file_builder.h"
#include "temp_dir.h"

namespace korvana::app {
namespace {

using namespace korvana::testing;

// Relative agreement of doubles computed along different but equivalent paths.
constexpr double RELATIVE = 1e-12;

class EyeLensDoseTest : public ::testing::Test {
protected:
    void SetUp() override {
        copyShippedTables({"Pb.dat", "d-DperK.dDk"});
        tables = loadEyeLensDoseTables();
        const ResultFileContent content = ResultFileContent::plausible();
        content.write("a.data");
        loadResultSet("a.data", set);
    }
    ScopedWorkDir dir;
    EyeLensDoseTables tables;
    ResultSet set;
};

TEST_F(EyeLensDoseTest, NoLeadGivesTheUnprotectedKerma) {
    const AngleValues protectedKerma =
        computeLeadProtectedKerma(set, tables.leadAttenuationEye, 0.0);
    for (int k = FIRST_SHOWN_ANGLE; k <= LAST_SHOWN_ANGLE; ++k) {
        EXPECT_NEAR(protectedKerma[k], set.pointKermaRatio[k], RELATIVE * set.pointKermaRatio[k]);
    }
    EXPECT_EQ(protectedKerma[1], 0.0);
    EXPECT_EQ(protectedKerma[9], 0.0);
}

TEST_F(EyeLensDoseTest, NoLeadGivesKermaTimesTheFactorOfTheStoredSpectrum) {
    const EyeLensDose dose = computeEyeLensDose(set, tables, 0.0, 0.0);
    for (int k = FIRST_SHOWN_ANGLE; k <= LAST_SHOWN_ANGLE; ++k) {
        double a = 0, b = 0;
        for (int i = 1; i <= GRID_BINS; ++i) {
            a += tables.conversion.kermaCoefficient[i] * set.rawScatterSpectra[k][i];
            b += tables.conversion.doseCoefficient3mm[i] * set.rawScatterSpectra[k][i];
        }
        ASSERT_TRUE(dose.doseConversionRatio[k]);
        EXPECT_NEAR(*dose.doseConversionRatio[k], b / a, RELATIVE);
        EXPECT_NEAR(dose.transmittedFraction[k], 1.0, RELATIVE);
        EXPECT_NEAR(*dose.eyeLensDose[k], set.pointKermaRatio[k] * b / a, 1e-15);
    }
}

TEST_F(EyeLensDoseTest, OnlyTheSumOfGlassesAndProtectionCounts) {
    const EyeLensDose split = computeEyeLensDose(set, tables, 0.07, 0.43);
    const EyeLensDose whole = computeEyeLensDose(set, tables, 0.0, 0.5);
    for (int k = FIRST_SHOWN_ANGLE; k <= LAST_SHOWN_ANGLE; ++k) {
        EXPECT_NEAR(split.transmittedFraction[k], whole.transmittedFraction[k],
                    RELATIVE * whole.transmittedFraction[k]);
        EXPECT_NEAR(*split.doseConversionRatio[k], *whole.doseConversionRatio[k], RELATIVE);
        EXPECT_EQ(doseConversionRatioText(split.doseConversionRatio[k]),
                  doseConversionRatioText(whole.doseConversionRatio[k]));
        EXPECT_EQ(eyeLensDoseText(split.eyeLensDose[k]), eyeLensDoseText(whole.eyeLensDose[k]));
    }
}

TEST_F(EyeLensDoseTest, ThickerLeadNeverRaisesTheTransmittedFraction) {
    const double thicknessesMm[] = {0.0, 0.01, 0.07, 0.1, 0.25, 0.35, 0.5, 1.0, 2.0, 3.0, 5.0};
    for (int k = FIRST_SHOWN_ANGLE; k <= LAST_SHOWN_ANGLE; ++k) {
        double previous = 2.0;
        for (double mm : thicknessesMm) {
            const double fraction =
                transmittedFraction(set.rawScatterSpectra[k], tables.leadAttenuationEye, mm * 0.1);
            EXPECT_LE(fraction, previous) << k << " " << mm;
            previous = fraction;
        }
        EXPECT_LT(previous, 1e-6) << k;  // orders of magnitude below the open value
    }
    // Still shown as a number behind a few mm.
    const AngleValues behind = computeLeadProtectedKerma(set, tables.leadAttenuationEye, 3.0);
    EXPECT_GT(behind[2], 0.0);
    EXPECT_NE(eyeLensDoseText(behind[2]).find("E-"), std::string::npos);
}

TEST_F(EyeLensDoseTest, AMonoEnergeticSpectrumGivesTheTableRatioBehindAnyLead) {
    ResultSet mono = set;
    for (int k = 1; k <= POINT_COUNT; ++k) {
        mono.rawScatterSpectra[k].fill(0.0);
        mono.scatterSpectra[k].fill(0.0);
        mono.rawScatterSpectra[k][60] = 1.0;  // 30 keV
        mono.scatterSpectra[k][60] = 1.0;
    }
    for (double mm : {0.0, 0.07, 0.5}) {
        const EyeLensDose dose = computeEyeLensDose(mono, tables, mm, 0.0);
        EXPECT_NEAR(*dose.doseConversionRatio[5], 1.22, 5e-6) << mm;
        EXPECT_EQ(doseConversionRatioText(dose.doseConversionRatio[5]), "1.220");
        EXPECT_NEAR(dose.transmittedFraction[5],
                    std::exp(-tables.leadAttenuationEye[60] * mm * 0.1), 1e-15);
    }
}

TEST_F(EyeLensDoseTest, LeadThatStopsEverythingShowsADashForTheFactorAndZeroDose) {
    const EyeLensDose dose = computeEyeLensDose(set, tables, 0.0, 1e6);
    for (int k = FIRST_SHOWN_ANGLE; k <= LAST_SHOWN_ANGLE; ++k) {
        EXPECT_FALSE(dose.doseConversionRatio[k]);
        EXPECT_EQ(doseConversionRatioText(dose.doseConversionRatio[k]), "-");
        EXPECT_EQ(eyeLensDoseText(dose.eyeLensDose[k]), "0.000E+00");
    }
}

TEST_F(EyeLensDoseTest, AnAngleNoPhotonReachedShowsADash) {
    set.rawScatterSpectra[4].fill(0.0);
    set.scatterSpectra[4].fill(0.0);
    set.pointKermaRatio[4] = 0.0;
    const EyeLensDose dose = computeEyeLensDose(set, tables, 0.07, 0.0);
    EXPECT_EQ(doseConversionRatioText(dose.doseConversionRatio[4]), "-");
    EXPECT_EQ(eyeLensDoseText(dose.eyeLensDose[4]), "0.000E+00");
    EXPECT_TRUE(dose.doseConversionRatio[5]);
}

TEST_F(EyeLensDoseTest, NegativeLeadIsRefused) {
    EXPECT_THROW(computeEyeLensDose(set, tables, -0.07, 0.0), DataError);
    EXPECT_THROW(computeEyeLensDose(set, tables, 0.0, -1.0), DataError);
    EXPECT_THROW(computeLeadProtectedKerma(set, tables.leadAttenuationEye, -0.5), DataError);
    EXPECT_THROW(leadThicknessCm(std::nan("")), DataError);
    EXPECT_EQ(leadThicknessCm(0.5), 0.05);
}

TEST(EyeLensDoseTextTest, Pictures) {
    EXPECT_EQ(doseConversionRatioText(1.4554), "1.455");
    EXPECT_EQ(doseConversionRatioText(std::nullopt), "-");
    EXPECT_EQ(eyeLensDoseText(7.5316e-4), "7.532E-04");
    EXPECT_EQ(eyeLensDoseText(std::nullopt), "-");
}

struct TableDamage {
    const char* name;
    const char* missing;  // file removed, or nullptr
    int cutToRecords;     // d-DperK.dDk cut to this many records, or 0
    const char* badLine;  // replaces record 10 of d-DperK.dDk, or nullptr
    const char* named;    // file the message must name
};

class EyeLensTablesTest : public ::testing::TestWithParam<TableDamage> {};

TEST_P(EyeLensTablesTest, AreReportedByName) {
    ScopedWorkDir dir;
    copyShippedTables({"Pb.dat", "d-DperK.dDk"});
    const TableDamage& damage = GetParam();
    if (damage.missing) std::filesystem::remove(damage.missing);
    if (damage.cutToRecords > 0 || damage.badLine) {
        TextLines file = readTextFile("d-DperK.dDk", FileKind::PhysicsTable);
        if (damage.cutToRecords > 0) file.lines.resize(damage.cutToRecords);
        if (damage.badLine) file.lines[9] = damage.badLine;
        writeLines("d-DperK.dDk", file.lines);
    }
    try {
        loadEyeLensDoseTables();
        FAIL() << "loaded";
    } catch (const DataError& e) {
        EXPECT_NE(std::string(e.what()).find(damage.named), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Damages, EyeLensTablesTest,
    ::testing::Values(TableDamage{"MissingTable", "d-DperK.dDk", 0, nullptr, "d-DperK.dDk"},
                      TableDamage{"MissingLead", "Pb.dat", 0, nullptr, "Pb.dat"},
                      TableDamage{"ShortTable", nullptr, 299, nullptr, "d-DperK.dDk"},
                      TableDamage{"TwoColumns", nullptr, 0, " .5000E+01    .1E+01", "d-DperK.dDk"},
                      TableDamage{"NegativeDose", nullptr, 0, "5.0 1.0 -1.0", "d-DperK.dDk:10"},
                      TableDamage{"Word", nullptr, 0, "5.0 one 1.0", "d-DperK.dDk:10:5"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvana::app
