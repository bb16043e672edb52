#include "app/results/results_command.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>
#include <thread>

#include "common/text_file.h"
#include "eye_points_fixture.h"
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

// Every file korvana-results reads is refused at once, named with the reason,
// when it is not a regular file; the optional errors beside the result are
// named in a warning and the rest is printed.
TEST(ResultsCommandTest, InputsThatAreNotFilesEndPromptlyNamingTheFile) {
    namespace fs = std::filesystem;
    const struct {
        const char* what;
        const char* name;  //!< the file laid out wrongly
        std::function<void()> make;
        const char* reason;
        int status;
    } rows[] = {
        {"result file as FIFO", "a.data", [] { ::mkfifo("a.data", 0600); }, "is a FIFO", 2},
        {"result file as directory", "a.data", [] { fs::create_directory("a.data"); },
         "is a directory", 2},
        {"table as FIFO", "d-DperK.dDk", [] { ::mkfifo("d-DperK.dDk", 0600); }, "is a FIFO", 2},
        {"errors as dangling link", "a.unc.csv",
         [] { fs::create_symlink("gone.csv", "a.unc.csv"); }, "is a dangling symbolic link", 0},
        {"spectrum as FIFO", "B_SPCTL.dat", [] { ::mkfifo("B_SPCTL.dat", 0600); }, "is a FIFO", 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ScopedWorkDir dir;
        copyShippedTables({"Pb.dat", "d-DperK.dDk"});
        if (std::string(row.name) != "a.data") ResultFileContent::plausible().write("a.data");
        fs::remove(row.name);
        row.make();
        // Should the command wait for a writer of a FIFO, one comes after 10 s
        // and writes nothing, so a hang shows as a slow refusal.
        std::atomic<bool> ended = false;
        std::thread writer([&ended, name = std::string(row.name)] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!ended && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            if (ended) return;
            const int fd = ::open(name.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        });
        const auto start = std::chrono::steady_clock::now();
        const Outcome outcome = run({"a.data", "--csv", "out"});
        const auto took = std::chrono::steady_clock::now() - start;
        ended = true;
        writer.join();
        EXPECT_EQ(outcome.status, row.status) << outcome.errors;
        EXPECT_LT(took, std::chrono::seconds(5));
        EXPECT_NE(outcome.errors.find(std::string(row.name) + ": " + row.reason), std::string::npos)
            << outcome.errors;
    }
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

// The eye points of a run's room follow everything printed before, which a
// result without eye points (also one with a scene of shields only) keeps
// exactly; a points file that is not the result's ends the command.
TEST(ResultsCommandTest, EyePointsGetASectionAfterTheRest) {
    ScopedWorkDir dir;
    ResultFileContent::plausible().write("a.data");
    copyShippedTables({"Pb.dat", "d-DperK.dDk"});
    const std::vector<std::string> workload = {"a.data", "--kap", "50", "--procedures", "400"};
    const Outcome without = run(workload);
    ASSERT_EQ(without.status, 0) << without.errors;
    EXPECT_EQ(without.out.find("Eye points"), std::string::npos) << without.out;
    writeSceneFile("a.scene.json", sampleRoom());
    EXPECT_EQ(run(workload).out, without.out);

    writeEyePointsBeside("a.data", {{"operator", {60, 30, -40}, 2.5e-4, 3.0}});
    const Outcome with = run(workload);
    ASSERT_EQ(with.status, 0) << with.errors;
    ASSERT_EQ(with.out.substr(0, without.out.size()), without.out);
    const std::string section = with.out.substr(without.out.size());
    EXPECT_NE(section.find("\nEye points of the scene a.scene.json (a.points.csv)"),
              std::string::npos)
        << section;
    EXPECT_TRUE(std::regex_search(
        section,
        std::regex("\n  operator +60\\.0 +30\\.0 +-40\\.0 +2\\.500E-04 +3\\.0 +[0-9.E+-]+ +"
                   "[0-9.E+-]+ +120 degrees\n")))
        << section;
    EXPECT_NE(section.find("nearest in direction"), std::string::npos) << section;
    EXPECT_TRUE(
        std::regex_search(section, std::regex("\n  operator +[0-9.]+ +3\\.0 +[0-9]+ +below 20")))
        << section;
    EXPECT_EQ(run({"a.data"}).out.find("Annual eye lens dose Hp(3) at the eye points"),
              std::string::npos);

    ResultFileContent other = ResultFileContent::plausible();
    other.pointKermaRatio[5] = 9e-4;
    other.write("a.data");  // the points file now belongs to another run
    const Outcome foreign = run(workload);
    EXPECT_EQ(foreign.status, 2);
    EXPECT_EQ(foreign.out, "");
    EXPECT_NE(foreign.errors.find("a.points.csv:2: the file belongs to another run"),
              std::string::npos)
        << foreign.errors;
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
    EXPECT_NE(outcome.errors.find("it is a directory"), std::string::npos) << outcome.errors;
    for (const auto& entry : std::filesystem::directory_iterator("out")) {
        EXPECT_EQ(entry.path().filename(), "a_map.csv") << "left behind: " << entry.path();
    }
    std::filesystem::remove("out/a_map.csv");
    EXPECT_EQ(run({"a.data", "--csv", "out"}).status, 0);
    EXPECT_TRUE(std::filesystem::exists("out/a_eye_lens_dose.csv"));
}

// Each file korvana-results writes against each kind that may stand at its
// name: refused before anything is written, the file left as it was.
TEST(ResultsCommandTest, ACaseOrAnExportNeverReplacesAFileOfAnotherKind) {
    ScopedWorkDir dir;
    ResultFileContent::plausible().write("a.data");
    writeLines("a.unc.csv", {"x"});
    copyShippedTables({"Pb.dat", "d-DperK.dDk"});
    writeLines("B2F.txt", {"20.0"});
    writeLines("B_SPCTL.dat", {"x"});
    writeLines("lumetrel", {"#!/bin/sh"});
    std::filesystem::permissions("lumetrel", std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    std::filesystem::create_directories("out");
    writeLines("out/a_map.csv", {"#!/bin/sh"});
    std::filesystem::permissions("out/a_map.csv", std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    writeLines("plain", {"x"});
    struct Case {
        std::vector<std::string> arguments;
        std::string file;    //!< that must stay as it was
        std::string reason;  //!< in the message
    };
    const std::vector<Case> cases = {
        {{"--save-case", "a.data"}, "a.data", "it is a result file"},
        {{"--save-case", "a.unc.csv"}, "a.unc.csv", "uncertainty file"},
        {{"--save-case", "Pb.dat"}, "Pb.dat", "a physics table"},
        {{"--save-case", "B2F.txt"}, "B2F.txt", "the run file"},
        {{"--save-case", "B_SPCTL.dat"}, "B_SPCTL.dat", "the spectrum file"},
        {{"--save-case", "lumetrel"}, "lumetrel", "a program"},
        {{"--save-case", "d-DperK.dDk", "--force"}, "d-DperK.dDk", "a physics table"},
        {{"--csv", "out"}, "out/a_map.csv", "it is a program"},
        {{"--csv", "plain"}, "plain", "is a file, not a directory"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"a.data"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const std::string before = readWhole(c.file);
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, 2) << c.arguments[1];
        EXPECT_NE(outcome.errors.find(c.reason), std::string::npos)
            << c.arguments[1] << ": " << outcome.errors;
        EXPECT_EQ(readWhole(c.file), before) << c.arguments[1] << " was changed";
        EXPECT_EQ(outcome.out, "") << "work was done before the refusal";
    }
    EXPECT_EQ(run({"a.data", "--save-case", ""}).status, 2);

    // A case replaces a case only when told to.
    EXPECT_EQ(run({"a.data", "--save-case", "mine.korvana.json"}).status, 0);
    writeLines("mine.korvana.json", {"{\"korvana_case\": 1, \"kv\": \"90\"}"});
    const Outcome kept = run({"a.data", "--save-case", "mine.korvana.json"});
    EXPECT_EQ(kept.status, 2);
    EXPECT_NE(kept.errors.find("--force"), std::string::npos) << kept.errors;
    EXPECT_NE(readWhole("mine.korvana.json").find("\"90\""), std::string::npos);
    EXPECT_EQ(run({"a.data", "--save-case", "mine.korvana.json", "--force"}).status, 0);
    EXPECT_EQ(readWhole("mine.korvana.json").find("\"90\""), std::string::npos);
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
        {{"--kap", "1e308", "--procedures", "5"},
         "--kap: the kerma-area product per procedure 1e+308 Gy cm2 is more than 10000 Gy cm2"},
        {{"--entrance-kerma", "2e5", "--procedures", "5"},
         "--entrance-kerma: the entrance air kerma per procedure 200000 mGy is more than 100000"},
        {{"--kap", "50", "--procedures", "9223372036854775807"},
         "--procedures: the number of procedures per year 9.223372e+18 is more than 100000"},
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

// Each row of the annual table: the angle, then without and with glasses the
// mSv, the error, the per cent of 20 mSv, the verdict and the most procedures.
bool annualRowsKeepTheirColumnsApart(const std::string& report, std::string& bad) {
    static const std::regex row(
        R"(^ +[0-9]+( +[0-9]+\.[0-9]{2} +([0-9]+\.[0-9]|-) +[0-9]+ +(below 20|20 to 50|ABOVE 50))"
        R"( +([0-9]+|no limit)){2}( unstable)?$)");
    std::istringstream lines(report.substr(report.find("Annual eye lens dose")));
    std::string line;
    int rows = 0;
    while (std::getline(lines, line)) {
        // The rows begin with the angle right-aligned in seven columns.
        const std::size_t first = line.find_first_not_of(' ');
        if (first < 4 || first == std::string::npos || !std::isdigit(line[first])) continue;
        ++rows;
        if (!std::regex_match(line, row)) bad += line + "\n";
    }
    return rows == 7 && bad.empty();
}

TEST(ResultsCommandTest, AnnualColumnsNeverRunTogetherAndAnUnboundedCountIsNoLimit) {
    ScopedWorkDir dir;
    ResultFileContent::plausible().write("a.data");
    copyShippedTables({"Pb.dat", "d-DperK.dDk"});
    // The largest workload: some 10^7 mSv a year, wider than the column.
    Outcome outcome = run({"a.data", "--entrance-kerma", "1e5", "--procedures", "100000"});
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    std::string bad;
    EXPECT_TRUE(annualRowsKeepTheirColumnsApart(outcome.out, bad)) << bad << outcome.out;
    // A microgray a procedure: millions of procedures stay below 20 mSv, more
    // than any year holds.
    outcome = run({"a.data", "--entrance-kerma", "0.001", "--procedures", "1"});
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    bad.clear();
    EXPECT_TRUE(annualRowsKeepTheirColumnsApart(outcome.out, bad)) << bad << outcome.out;
    const std::string table = outcome.out.substr(outcome.out.find("  angle"));
    std::size_t limits = 0;
    for (std::size_t at = table.find("no limit\n"); at != std::string::npos;
         at = table.find("no limit\n", at + 1)) {
        ++limits;
    }
    EXPECT_EQ(limits, 7u) << outcome.out;
}

}  // namespace
}  // namespace korvana::app
