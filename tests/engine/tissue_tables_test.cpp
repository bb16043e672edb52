#include "engine/inputs/tissue_tables.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/data_error.h"
#include "common/record_format.h"
#include "common/record_writer.h"
#include "temp_dir.h"

namespace korvana::engine {
namespace {

using korvana::testing::ScopedWorkDir;
using korvana::testing::writeLines;

struct EnergyRow {
    double energyMeV, coherent, incoherent, photoelectric;
};

//! An ICRUSoft.dat of `rows` and 45 scatter rows with x = 0, 0.25, ..., 11,
//! A(x) = x^2 and S(x) = x (values exact in five digits).
std::vector<std::string> tissueFile(const std::vector<EnergyRow>& rows, int declaredCount = -1) {
    const RecordFormat i3("(I3)"), f96("(F9.6)"), rowFormat("(E9.3,3E10.3)"),
        scatterFormat("(E10.3,2E12.5)");
    std::vector<std::string> lines;
    lines.push_back(RecordWriter(i3)
                        .integer(declaredCount < 0 ? static_cast<long>(rows.size()) : declaredCount)
                        .line());
    lines.push_back(RecordWriter(f96).real(1.0).line());
    for (const EnergyRow& r : rows) {
        lines.push_back(RecordWriter(rowFormat)
                            .real(r.energyMeV)
                            .real(r.coherent)
                            .real(r.incoherent)
                            .real(r.photoelectric)
                            .line());
    }
    for (int j = 1; j <= SCATTER_FACTOR_ROWS; ++j) {
        const double x = j == SCATTER_FACTOR_ROWS ? 11.0 : 0.25 * (j - 1);
        lines.push_back(RecordWriter(scatterFormat).real(x).real(x * x).real(x).line());
    }
    return lines;
}

const std::vector<EnergyRow> THREE_ROWS = {
    {0.001, 1.0, 2.0, 1000.0}, {0.010, 0.5, 0.25, 10.0}, {0.100, 0.125, 0.2, 0.0625}};

class TissueTablesTest : public ::testing::Test {
protected:
    ScopedWorkDir dir;
};

TEST_F(TissueTablesTest, LoadsRowsInKeVAndTheMaxima) {
    writeLines("ICRUSoft.dat", tissueFile(THREE_ROWS));
    const TissueTables t = loadTissueTables("ICRUSoft.dat");
    EXPECT_EQ(t.rowCount, 3);
    EXPECT_EQ(t.rows[1].energy, 1.0f);
    EXPECT_EQ(t.rows[3].energy, 0.1f * 1000.0f);
    EXPECT_EQ(t.rows[2].incoherent, 0.25f);
    EXPECT_EQ(t.scatter[45].x, 11.0f);
    EXPECT_EQ(t.formFactorIntegralMax, 121.0f);
    EXPECT_EQ(t.incoherentFunctionMax, 11.0f);
}

TEST_F(TissueTablesTest, CoefficientsAreExactAtTableEnergies) {
    writeLines("ICRUSoft.dat", tissueFile(THREE_ROWS));
    const TissueTables t = loadTissueTables("ICRUSoft.dat");
    const TissueCoefficients c = tissueCoefficients(t, t.rows[2].energy);
    EXPECT_EQ(c.coherent, 0.5f);
    EXPECT_EQ(c.incoherent, 0.25f);
    EXPECT_EQ(c.photoelectric, 10.0f);
    EXPECT_EQ(c.total, 10.75f);
    EXPECT_EQ(c.photoFraction, 10.0f / 10.75f);
    EXPECT_EQ(c.photoCoherentFraction, 10.5f / 10.75f);
}

TEST_F(TissueTablesTest, InterpolatesLogLogAndExtrapolatesBeyondTheEnds) {
    writeLines("ICRUSoft.dat", tissueFile(THREE_ROWS));
    const TissueTables t = loadTissueTables("ICRUSoft.dat");
    // Half way in ln E between 10 and 100 keV: geometric means.
    const float mid = std::sqrt(1000.0f);
    const TissueCoefficients c = tissueCoefficients(t, mid);
    EXPECT_NEAR(c.coherent, 0.25f, 1e-6f);
    EXPECT_NEAR(c.photoelectric, std::sqrt(10.0f * 0.0625f), 1e-5f);
    // Above the last row the last interval goes on: 1000 keV, one more decade.
    EXPECT_NEAR(tissueCoefficients(t, 1000.0f).coherent, 0.03125f, 1e-6f);
    // Below the first row the first interval extrapolates.
    EXPECT_NEAR(tissueCoefficients(t, 0.1f).photoelectric, 100000.0f, 1.0f);
}

TEST_F(TissueTablesTest, ScatterFactorLookups) {
    writeLines("ICRUSoft.dat", tissueFile(THREE_ROWS));
    const TissueTables t = loadTissueTables("ICRUSoft.dat");
    EXPECT_EQ(incoherentFunctionAt(t, 0.25f), 0.25f);
    EXPECT_EQ(incoherentFunctionAt(t, 3.1f), 3.1f);
    EXPECT_FLOAT_EQ(incoherentFunctionAt(t, 10.5f), 10.5f);  // between rows 44 and 45
    // Past the last row the last interval goes on (x of row 44 is 10.8 in three digits).
    const ScatterFactorRow& a = t.scatter[44];
    const ScatterFactorRow& b = t.scatter[45];
    EXPECT_FLOAT_EQ(incoherentFunctionAt(t, 12.0f),
                    a.incoherentFunction + (12.0f - a.x) *
                                               (b.incoherentFunction - a.incoherentFunction) /
                                               (b.x - a.x));
    EXPECT_EQ(sampleCoherentX(t, 0.0f), 0.0f);
    // A(x) = x^2 inverted by straight lines: between 1.0 (x 1) and 1.5625 (x 1.25).
    EXPECT_EQ(sampleCoherentX(t, 1.0f), 1.0f);
    EXPECT_FLOAT_EQ(sampleCoherentX(t, 1.28125f), 1.125f);
    EXPECT_LT(sampleCoherentX(t, 120.9f), 11.0f);
}

TEST_F(TissueTablesTest, TwentyFourRowsPlaceTheScatterFactorsAtLines27To71) {
    std::vector<EnergyRow> rows;
    for (int j = 0; j < 24; ++j) rows.push_back({0.001 * (j + 1), 1.0, 1.0, 1.0});
    std::vector<std::string> lines = tissueFile(rows);
    ASSERT_EQ(lines.size(), 71u);
    const RecordFormat scatterFormat("(E10.3,2E12.5)");
    lines[26] = RecordWriter(scatterFormat).real(0.0).real(0.0).real(0.5).line();
    lines[70] = RecordWriter(scatterFormat).real(12.0).real(144.0).real(12.0).line();
    writeLines("ICRUSoft.dat", lines);
    const TissueTables t = loadTissueTables("ICRUSoft.dat");
    EXPECT_EQ(t.rowCount, 24);
    EXPECT_EQ(t.scatter[1].incoherentFunction, 0.5f);
    EXPECT_EQ(t.scatter[45].x, 12.0f);
    EXPECT_EQ(t.formFactorIntegralMax, 144.0f);
}

TEST_F(TissueTablesTest, RefusesTablesALookupWouldFailOn) {
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        int line;
    };
    std::vector<EnergyRow> many(26, {0.001, 1.0, 1.0, 1.0});
    for (int j = 0; j < 26; ++j) many[j].energyMeV = 0.001 * (j + 1);
    std::vector<Case> cases = {
        {"26 rows", tissueFile(many), 1},
        {"one row", tissueFile({THREE_ROWS[0]}), 1},
        {"zero coefficient", tissueFile({{0.001, 1, 1, 1}, {0.01, 0, 1, 1}}), 4},
        {"descending energy", tissueFile({{0.01, 1, 1, 1}, {0.001, 1, 1, 1}}), 4},
        {"short", tissueFile(THREE_ROWS, 3), 50},
        // Scatter rows start at line 6 for three energy rows.
        {"negative S(x)", tissueFile(THREE_ROWS), 7},
        {"first x above 5 keV/hc", tissueFile(THREE_ROWS), 6},
    };
    cases[5].lines[6].replace(22, 12, " -.10000E+00");
    cases[6].lines[5].replace(0, 10, "  .500E+00");
    cases[4].lines.resize(49);
    for (const Case& c : cases) {
        writeLines("ICRUSoft.dat", c.lines);
        try {
            loadTissueTables("ICRUSoft.dat");
            ADD_FAILURE() << c.what << " was accepted";
        } catch (const DataError& e) {
            EXPECT_EQ(e.where().fileName, "ICRUSoft.dat") << c.what;
            EXPECT_EQ(e.where().line, c.line) << c.what << ": " << e.what();
        }
    }
}

TEST_F(TissueTablesTest, MissingFileIsReportedByNameAndNotCreated) {
    try {
        loadTissueTables("ICRUSoft.dat");
        FAIL();
    } catch (const DataError& e) {
        EXPECT_NE(std::string(e.what()).find("ICRUSoft.dat"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists("ICRUSoft.dat"));
}

TEST(ShippedTissueTable, CoversTheTransportRange) {
    const TissueTables t = loadTissueTables(std::string(KORVANA_DATA_DIR) + "/ICRUSoft.dat");
    EXPECT_LE(t.rows[1].energy, 5.0f);
    EXPECT_GT(t.rows[t.rowCount].energy, 150.0f);
    EXPECT_GE(t.scatter[45].x, 10.0f);
    for (int j = 2; j <= SCATTER_FACTOR_ROWS; ++j) {
        EXPECT_GT(t.scatter[j].formFactorIntegral, t.scatter[j - 1].formFactorIntegral) << j;
    }
    // Soft tissue at 60 keV: mu/rho about 0.20 cm^2/g, density 1.
    EXPECT_NEAR(tissueCoefficients(t, 60.0f).total, 0.202f, 0.005f);
}

}  // namespace
}  // namespace korvana::engine
