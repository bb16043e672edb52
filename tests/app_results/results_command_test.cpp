#include "app/results/results_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "result_file_builder.h"
#include "temp_dir.h"

namespace korvana::app {
namespace {

using namespace korvana::testing;

struct Outcome {
    int status;
    std::string out;
    std::string errors;
};

Outcome run(const std::vector<std::string>& arguments) {
    std::ostringstream out, errors;
    const int status = runResultsCommand(arguments, out, errors);
    return {status, out.str(), errors.str()};
}

TEST(ResultsCommandTest, HelpAndBadArguments) {
    EXPECT_EQ(run({"--help"}).status, 0);
    EXPECT_NE(run({"--help"}).out.find("usage: korvana-results RESULT_FILE"), std::string::npos);
    EXPECT_EQ(run({}).status, 1);
    EXPECT_EQ(run({"a.data", "b.data"}).status, 1);
    EXPECT_EQ(run({"--glasses"}).status, 1);
}

TEST(ResultsCommandTest, MissingInputsAreNamed) {
    ScopedWorkDir dir;
    Outcome outcome = run({"none.data"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.errors.find("none.data"), std::string::npos) << outcome.errors;

    ResultFileContent::plausible().write("a.data");
    copyShippedTables({"Pb.dat"});
    outcome = run({"a.data"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.errors.find("d-DperK.dDk"), std::string::npos) << outcome.errors;
    EXPECT_EQ(outcome.out, "");
}

TEST(ResultsCommandTest, PrintsTheShownAnglesOnly) {
    ScopedWorkDir dir;
    ResultFileContent::plausible().write("a.data");
    copyShippedTables({"Pb.dat", "d-DperK.dDk"});
    const Outcome outcome = run({"a.data"});
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_NE(outcome.out.find("\n     45    2.000E-04"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("\n    135    8.000E-04"), std::string::npos) << outcome.out;
    EXPECT_EQ(outcome.out.find("\n     30 "), std::string::npos) << outcome.out;
    EXPECT_EQ(outcome.out.find("\n    150 "), std::string::npos) << outcome.out;
}

TEST(ResultsCommandTest, LeadThicknessIsAPlainDecimalOfZeroOrMore) {
    ScopedWorkDir dir;
    ResultFileContent::plausible().write("a.data");
    copyShippedTables({"Pb.dat", "d-DperK.dDk"});
    for (const char* refused : {"0x10", "-1", "inf", "nan", "1e400", "0.07mm", ""}) {
        const Outcome outcome = run({"a.data", "--csv", "out", "--pb", refused});
        EXPECT_EQ(outcome.status, 1) << refused;
        EXPECT_NE(outcome.errors.find("is not a lead thickness in mm"), std::string::npos)
            << refused << ": " << outcome.errors;
    }
    EXPECT_FALSE(std::filesystem::exists("out"));
    for (const char* accepted : {"0", "0.5", "5e-1"}) {
        EXPECT_EQ(run({"a.data", "--pb", accepted}).status, 0) << accepted;
    }
}

TEST(ResultsCommandTest, CsvExportsAreWrittenAllOrNone) {
    ScopedWorkDir dir;
    ResultFileContent::plausible().write("a.data");
    copyShippedTables({"Pb.dat", "d-DperK.dDk"});
    // The third of the exports cannot be written: none may be left behind.
    std::filesystem::create_directories("out/a_map.csv");
    const Outcome outcome = run({"a.data", "--csv", "out"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.errors.find("none of the files was written"), std::string::npos)
        << outcome.errors;
    for (const auto& entry : std::filesystem::directory_iterator("out")) {
        EXPECT_EQ(entry.path().filename(), "a_map.csv") << "left behind: " << entry.path();
    }
    std::filesystem::remove("out/a_map.csv");
    EXPECT_EQ(run({"a.data", "--csv", "out"}).status, 0);
    EXPECT_TRUE(std::filesystem::exists("out/a_eye_lens_dose.csv"));
}

}  // namespace
}  // namespace korvana::app
