#include "app/spectrum/material_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/data_error.h"
#include "common/grid_tables.h"
#include "temp_dir.h"

namespace korvana::app {
namespace {

using testing::ScopedWorkDir;
using testing::writeLines;

std::vector<std::string> records(int count) {
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i) {
        lines.push_back(std::to_string(0.5 * i) + " " + std::to_string(1000 + i));
    }
    return lines;
}

TEST(LoadAttenuationTable, FreeFormNumbersInAnyLayout) {
    ScopedWorkDir dir;
    std::vector<std::string> lines = records(300);
    lines[0] = " .500E+00,   .4885E+05";  // comma separator, E format
    lines[1] = "1.0\t2.5D+01";            // tab, D exponent
    lines[2] = "  1.5   ";                // a record split over two lines
    lines.insert(lines.begin() + 3, "+7");
    lines.push_back("anything after the 600th number is ignored");
    writeLines("Copper.dat", lines);
    const AttenuationTable t = loadAttenuationTable("Copper.dat");
    EXPECT_EQ(t[0], 0.0);
    EXPECT_EQ(t[1], 48850.0);
    EXPECT_EQ(t[2], 25.0);
    EXPECT_EQ(t[3], 7.0);
    EXPECT_EQ(t[4], 1004.0);
    EXPECT_EQ(t[300], 1300.0);
}

TEST(LoadAttenuationTable, AThirdColumnPutsTheReadingOutOfStep) {
    ScopedWorkDir dir;
    std::vector<std::string> lines = records(300);
    lines[0] = "0.5 10 99";  // 99 becomes the energy of record 2, its energy 1.0 the value
    writeLines("Pb.dat", lines);
    const AttenuationTable t = loadAttenuationTable("Pb.dat");
    EXPECT_EQ(t[1], 10.0);
    EXPECT_EQ(t[2], 1.0);
    EXPECT_EQ(t[3], 1.5);
}

TEST(LoadAttenuationTable, ShortFileIsNamedWithTheMissingRecord) {
    ScopedWorkDir dir;
    std::vector<std::string> lines = records(299);
    lines.push_back("150.0");
    writeLines("Tungsten.dat", lines);
    try {
        loadAttenuationTable("Tungsten.dat");
        FAIL();
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().fileName, "Tungsten.dat");
        EXPECT_NE(e.problem().find("record 300"), std::string::npos) << e.what();
    }
}

TEST(LoadAttenuationTable, BadItemsAreReportedWhereTheyStand) {
    struct Case {
        const char* line3;
        int column;
    };
    for (const Case& c : {Case{"1.5 abc", 5}, Case{"1.5 -2.0", 5}, Case{"x 2.0", 1},
                          Case{"1.5 1e999", 5}, Case{"1.5 2.0.1", 5}}) {
        ScopedWorkDir dir;
        std::vector<std::string> lines = records(300);
        lines[2] = c.line3;
        writeLines("Aluminum.atc", lines);
        try {
            loadAttenuationTable("Aluminum.atc");
            FAIL() << c.line3;
        } catch (const DataError& e) {
            EXPECT_EQ(e.where().line, 3) << c.line3;
            EXPECT_EQ(e.where().column, c.column) << c.line3;
        }
    }
}

TEST(LoadMaterialTables, MissingTableIsNamed) {
    ScopedWorkDir dir;
    testing::copyShippedTables({"Tungsten.dat", "Aluminum.atc", "Pb.dat"});
    try {
        loadMaterialTables();
        FAIL();
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().fileName, "Copper.dat");
    }
}

TEST(LoadMaterialTables, ShippedTablesReadAsTheFixedColumnReaders) {
    ScopedWorkDir dir;
    testing::copyShippedTables({"Tungsten.dat", "Aluminum.atc", "Copper.dat", "Pb.dat"});
    const MaterialTables tables = loadMaterialTables();
    const GridTable aluminium = loadAluminiumAttenuation("Aluminum.atc");
    const GridTable lead = loadLeadAttenuation("Pb.dat");
    for (int i = 1; i <= GRID_BINS; ++i) {
        EXPECT_FLOAT_EQ(static_cast<float>(tables.aluminiumAttenuation[i]), aluminium[i]) << i;
        EXPECT_FLOAT_EQ(static_cast<float>(tables.leadAttenuationGui[i]), lead[i]) << i;
        EXPECT_GT(tables.tungstenAttenuation[i], 0.0) << i;
        EXPECT_GT(tables.copperAttenuation[i], 0.0) << i;
    }
    // The tungsten K edge lies between 69.5 and 70 keV.
    EXPECT_GT(tables.tungstenAttenuation[140], 3.0 * tables.tungstenAttenuation[139]);
}

}  // namespace
}  // namespace korvana::app
