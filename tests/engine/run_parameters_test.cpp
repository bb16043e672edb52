#include "engine/inputs/run_parameters.h"

#include <gtest/gtest.h>

#include <fstream>

#include "common/data_error.h"
#include "temp_dir.h"

namespace korvana::engine {
namespace {

using korvana::testing::ScopedWorkDir;
using korvana::testing::writeLines;

class RunFileTest : public ::testing::Test {
protected:
    ScopedWorkDir dir;
    std::vector<std::string> lines = {"20.0",  "80.0", "25.0",      "25.0",
                                      "0.050", "60.0", "1.000E+07", "test.data"};
    RunParameters read() {
        writeLines("B2F.txt", lines);
        return readRunFile("B2F.txt");
    }
    int errorLine() {
        try {
            read();
        } catch (const DataError& e) {
            EXPECT_EQ(e.where().fileName, "B2F.txt");
            return e.where().line;
        }
        return -1;
    }
};

TEST_F(RunFileTest, ReadsTheDialogsFile) {
    const RunParameters p = read();
    EXPECT_EQ(p.phantomThickness, 20.0f);
    EXPECT_EQ(p.focusSurfaceDistance, 80.0f);
    EXPECT_EQ(p.fieldSizeY, 25.0f);
    EXPECT_EQ(p.fieldSizeX, 25.0f);
    EXPECT_EQ(p.curtainLeadThickness, 0.05f);  // 0.5 mm written as cm
    EXPECT_EQ(p.curtainLength, 60.0f);
    EXPECT_EQ(p.historyCount, 10'000'000.0f);
    EXPECT_EQ(p.resultFileName, "test.data");
}

TEST_F(RunFileTest, NumbersInAnyNotationWithTheRestOfTheLineIgnored) {
    lines[0] = "2.0E+01";
    lines[1] = "  80, 90";
    lines[2] = "25 cm";
    const RunParameters p = read();
    EXPECT_EQ(p.phantomThickness, 20.0f);
    EXPECT_EQ(p.focusSurfaceDistance, 80.0f);
    EXPECT_EQ(p.fieldSizeY, 25.0f);
}

TEST_F(RunFileTest, ResultNameKeepsTheWholeLineWithoutTrailingBlanks) {
    lines[7] = "test.data      ";
    EXPECT_EQ(read().resultFileName, "test.data");
    lines[7] = "a_name_of_twenty_six_chars.data";  // longer than 30 characters: not cut
    EXPECT_EQ(read().resultFileName, "a_name_of_twenty_six_chars.data");
    lines[7] = "    ";  // blank: the engine asks on the console when it writes
    EXPECT_EQ(read().resultFileName, "");
}

TEST_F(RunFileTest, RefusesNamesThatAreNotPlainFileNames) {
    for (const char* name :
         {"../up.data", "sub/x.data", "a\\b.data", "what?.data", "..", "tab\there.data"}) {
        lines[7] = name;
        EXPECT_EQ(errorLine(), 8) << name;
    }
}

TEST_F(RunFileTest, RefusesValuesThatMakeTheRunMeaningless) {
    const std::vector<std::pair<int, const char*>> bad = {{0, "0"},  {1, "-80"},   {2, "0.0"},
                                                          {3, "-1"}, {4, "-0.01"}, {6, "0"}};
    for (const auto& [index, text] : bad) {
        auto saved = lines[index];
        lines[index] = text;
        EXPECT_EQ(errorLine(), index + 1) << "line " << index + 1 << " = " << text;
        lines[index] = saved;
    }
    lines[4] = "0";  // no lead is a valid curtain
    EXPECT_EQ(read().curtainLeadThickness, 0.0f);
    lines[5] = "-10";  // a curtain reaching past the exit surface is a valid geometry
    EXPECT_EQ(read().curtainLength, -10.0f);
}

TEST_F(RunFileTest, RefusesValuesTheResultFileCannotHoldWithTheirLine) {
    // Each would have been written as asterisks into a result file no reader takes.
    const std::vector<std::pair<int, const char*>> bad = {
        {1, "1000"}, {0, "999.96"}, {2, "1000.0"}, {3, "1e30"}, {4, "1.000"},
        {5, "-100"}, {5, "1e30"},   {5, "80.1"},   {6, "1e30"}, {6, "0.5"}};
    for (const auto& [index, text] : bad) {
        auto saved = lines[index];
        lines[index] = text;
        EXPECT_EQ(errorLine(), index + 1) << "line " << index + 1 << " = " << text;
        lines[index] = saved;
    }
    // The largest values each column holds, and the longest curtain, are runs.
    lines = {"999.9", "999.9", "999.94", "25.0", "0.9999", "-99.9", "1.000E+15", "edge.data"};
    EXPECT_EQ(read().curtainLeadThickness, 0.9999f);
    lines = {"20.0", "80.0", "25.0", "25.0", "0.035", "80.0", "5.000E+08", "longest.data"};
    EXPECT_EQ(read().curtainLength, 80.0f);
}

TEST_F(RunFileTest, NotANumberShortFileAndMissingFile) {
    lines[3] = "twenty";
    EXPECT_EQ(errorLine(), 4);
    lines[3] = "25.0";
    lines.resize(7);
    EXPECT_EQ(errorLine(), 8);
    std::filesystem::remove("B2F.txt");
    EXPECT_THROW(readRunFile("B2F.txt"), DataError);
    EXPECT_FALSE(std::filesystem::exists("B2F.txt"));
}

// A file an editor saved in another way is named as such rather than
// reported as a number that is not one.
TEST_F(RunFileTest, ByteOrderMarkAndCrAloneAreNamedAsSuch) {
    const struct {
        const char* what;
        std::string bytes;
        const char* named;
    } rows[] = {
        {"UTF-8 with BOM",
         "\xEF\xBB\xBF"
         "20.0\r\n80.0\r\n25.0\r\n",
         "byte order mark"},
        {"old Mac OS line ends", "20.0\r80.0\r25.0\r25.0\r0.050\r60.0\r1.000E+07\rt.data\r",
         "CR alone (old Mac OS line ends)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove("B2F.txt");
        std::ofstream("B2F.txt", std::ios::binary) << row.bytes;
        try {
            readRunFile("B2F.txt");
            ADD_FAILURE() << "read";
        } catch (const DataError& e) {
            EXPECT_EQ(e.where().fileName, "B2F.txt");
            EXPECT_NE(std::string(e.what()).find(row.named), std::string::npos) << e.what();
        }
    }
}

TEST_F(RunFileTest, ABlankLineMovesLaterValuesUpOneLine) {
    // As with any list-directed read: a line of blanks holds no value.
    lines.insert(lines.begin() + 2, "   ");
    const RunParameters p = read();
    EXPECT_EQ(p.fieldSizeY, 25.0f);
    EXPECT_EQ(p.historyCount, 10'000'000.0f);
    EXPECT_EQ(p.resultFileName, "test.data");
}

}  // namespace
}  // namespace korvana::engine
