#include "app/results/results_command.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace korvana::app
