#include "app/results/results_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "common/text_file.h"
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

TEST(ResultsCommandTest, WorkloadInputsThatMakeNoSenseAreRefusedByName) {
    ScopedWorkDir dir;
    ResultFileContent::plausible().write("a.data");
    copyShippedTables({"Pb.dat", "d-DperK.dDk"});
    const struct {
        std::vector<std::string> arguments;
        const char* named;
    } refusals[] = {
        {{"--kap", "0", "--procedures", "5"}, "--kap \"0\""},
        {{"--kap", "-50", "--procedures", "5"}, "--kap \"-50\""},
        {{"--entrance-kerma", "x", "--procedures", "5"}, "--entrance-kerma \"x\""},
        {{"--kap", "50", "--procedures", "12.5"}, "--procedures \"12.5\""},
        {{"--kap", "50", "--procedures", "-3"}, "--procedures \"-3\""},
        {{"--kap", "50"}, "--procedures is missing"},
        {{"--procedures", "5"}, "--procedures needs"},
        {{"--kap", "50", "--entrance-kerma", "5", "--procedures", "5"}, "not both"},
        {{"--kap", "50", "--procedures", "5", "--eye", "30,0"}, "--eye 30,0 lies outside"},
        {{"--kap", "50", "--procedures", "5", "--eye", "60"}, "--eye \"60\""},
    };
    for (const auto& refusal : refusals) {
        std::vector<std::string> arguments = {"a.data"};
        arguments.insert(arguments.end(), refusal.arguments.begin(), refusal.arguments.end());
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, 1) << refusal.named;
        EXPECT_NE(outcome.errors.find(refusal.named), std::string::npos) << outcome.errors;
        EXPECT_EQ(outcome.out, "");
    }
}

TEST(ResultsCommandTest, WorkloadAddsTheAnnualTableAndItsExport) {
    ScopedWorkDir dir;
    ResultFileContent::plausible().write("a.data");
    copyShippedTables({"Pb.dat", "d-DperK.dDk"});
    const Outcome outcome =
        run({"a.data", "--kap", "50", "--procedures", "500", "--eye", "60,-30", "--csv", "out"});
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_NE(outcome.out.find("Annual eye lens dose Hp(3)"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("\n    eye "), std::string::npos) << outcome.out;
    const std::vector<std::string> csv =
        readTextFile("out/annual_eye_lens_dose.csv", FileKind::CsvTable).lines;
    ASSERT_EQ(csv.size(), 1u + 2u * 8u);  // two rows (glasses 0 and 0.07) per angle and the eye
    EXPECT_EQ(csv[0].rfind("point,angle_deg,x_cm,z_cm,glasses_mm_Pb,", 0), 0u) << csv[0];
    EXPECT_NE(csv[0].find(",rel_std_error_percent,"), std::string::npos);
    EXPECT_EQ(csv[15].rfind("eye,120,60,-30,0,0,80,500,", 0), 0u) << csv[15];
}

}  // namespace
}  // namespace korvana::app
