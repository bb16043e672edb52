#include "hvl/tavisen.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "common/data_error.h"
#include "temp_dir.h"

namespace korvana::hvl {
namespace {

using testing::copyShippedTables;
using testing::readWhole;
using testing::ScopedWorkDir;

void copyExampleSpectrum() {
    std::filesystem::copy_file(std::filesystem::path(KORVANA_DATA_DIR) / "example/B_SPCTL.dat",
                               "B_SPCTL.dat");
}

// Runs the program itself in the current directory; returns its exit status.
int runProgram(const std::string& outputFile, const std::string& arguments = "") {
    const std::string command =
        std::string("'") + TAVISEN_PROGRAM + "' " + arguments + " >" + outputFile + " 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Tavisen, ExampleSpectrumGivesFiveLinesAndTheStopMessage) {
    ScopedWorkDir dir;
    copyShippedTables({"Aluminum.atc", "MU_en2016.dat"});
    copyExampleSpectrum();
    std::ostringstream console;
    EXPECT_EQ(runHvlCalculator(console), 0);
    EXPECT_EQ(console.str(), "Stop - Program terminated.\n");
    const std::string file = readWhole("HVL_S2.dat");
    // Widths 6, 6, 6, 6 and 15, each line ended by CR LF.
    ASSERT_EQ(file.size(), 4u * 8u + 17u);
    for (std::size_t end : {6u, 14u, 22u, 30u, 47u}) {
        EXPECT_EQ(file.substr(end, 2), "\r\n") << end;
    }
    EXPECT_EQ(file.back(), '\n');
    EXPECT_EQ(file[file.size() - 3], '.');  // F15.0 ends in its decimal point
}

TEST(Tavisen, ProgramExitsZeroAndShowsTheStopMessage) {
    ScopedWorkDir dir;
    copyShippedTables({"Aluminum.atc", "MU_en2016.dat"});
    copyExampleSpectrum();
    EXPECT_EQ(runProgram("console.txt"), 0);
    EXPECT_EQ(readWhole("console.txt"), "Stop - Program terminated.\n");
    EXPECT_TRUE(std::filesystem::exists("HVL_S2.dat"));
}

TEST(Tavisen, MissingSpectrumLeavesTheEarlierResultAndFailsWithItsName) {
    ScopedWorkDir dir;
    copyShippedTables({"Aluminum.atc", "MU_en2016.dat"});
    testing::writeLines("HVL_S2.dat", {"earlier"});
    EXPECT_NE(runProgram("console.txt"), 0);
    const std::string console = readWhole("console.txt");
    EXPECT_NE(console.find("B_SPCTL.dat"), std::string::npos) << console;
    EXPECT_EQ(console.find("Stop - Program terminated."), std::string::npos);
    EXPECT_EQ(readWhole("HVL_S2.dat"), "earlier\r\n");
    EXPECT_FALSE(std::filesystem::exists("B_SPCTL.dat"));  // nothing is created by opening
}

TEST(Tavisen, ShortAluminiumTableIsNamedAndNoFileIsWritten) {
    ScopedWorkDir dir;
    copyShippedTables({"MU_en2016.dat"});
    copyExampleSpectrum();
    testing::writeLines("Aluminum.atc", {" .5000E+00    .182052E+05"});
    std::ostringstream console;
    try {
        runHvlCalculator(console);
        FAIL();
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().fileName, "Aluminum.atc");
        EXPECT_EQ(e.where().line, 2);
    }
    EXPECT_FALSE(std::filesystem::exists("HVL_S2.dat"));
}

TEST(Tavisen, TooHardBeamWritesNoFileAndExitsNonZero) {
    ScopedWorkDir dir;
    copyShippedTables({"MU_en2016.dat"});
    copyExampleSpectrum();
    // Aluminium that hardly attenuates: the air kerma stays above 25 % behind 3 cm.
    std::vector<std::string> lines;
    for (int i = 1; i <= 300; ++i) lines.push_back(" .5000E+00    .100000E+00");
    testing::writeLines("Aluminum.atc", lines);
    EXPECT_EQ(runProgram("console.txt"), 2);
    EXPECT_NE(readWhole("console.txt").find("3 cm of aluminium"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("HVL_S2.dat"));
}

TEST(Tavisen, HelpAndVersionAreAnsweredAnyOtherArgumentRefusedAndNothingTouched) {
    ScopedWorkDir dir;
    copyShippedTables({"Aluminum.atc", "MU_en2016.dat"});
    copyExampleSpectrum();
    std::FILE* earlier = std::fopen("HVL_S2.dat", "w");
    std::fputs("an earlier result\n", earlier);
    std::fclose(earlier);
    struct Case {
        const char* arguments;
        int status;
        const char* shown;
    };
    for (const Case& c :
         {Case{"--help", 0, "usage: tavisen"}, Case{"-h", 0, "usage: tavisen"},
          Case{"--version", 0, "tavisen (Korvana) "}, Case{"--help --version", 1, "usage: tavisen"},
          Case{"B_SPCTL.dat", 1, "usage: tavisen"}, Case{"--", 1, "usage: tavisen"}}) {
        EXPECT_EQ(runProgram("console.txt", c.arguments), c.status) << c.arguments;
        EXPECT_NE(readWhole("console.txt").find(c.shown), std::string::npos) << c.arguments;
        EXPECT_EQ(readWhole("HVL_S2.dat"), "an earlier result\n") << c.arguments;
    }
}

}  // namespace
}  // namespace korvana::hvl
