#include "engine/driver/driver.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <deque>
#include <functional>
#include <map>
#include <sstream>

#include "common/data_error.h"
#include "common/engine_texts.h"
#include "common/output_files.h"
#include "common/points_file.h"
#include "common/scene_file.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"
#include "engine_case.h"
#include "scratch_mount.h"

namespace korvana::engine {
namespace {

using namespace korvana::testing;

//! Types the scripted lines, then reports the end of input; records every
//! line shown and how many lines had been read whenever the clock is asked.
class ScriptedConsole : public Console {
public:
    explicit ScriptedConsole(std::deque<std::string> typed = {"", ""})
        : m_typed(std::move(typed)) {}
    void writeLine(std::string_view text) override { shown.emplace_back(text); }
    std::optional<std::string> readLine() override {
        if (linesRead == 0 && onFirstRead) onFirstRead();
        ++linesRead;
        if (m_typed.empty()) return std::nullopt;
        std::string line = m_typed.front();
        m_typed.pop_front();
        return line;
    }
    std::vector<std::string> shown;
    int linesRead = 0;
    std::function<void()> onFirstRead;  //!< at the Enter key after the banner

private:
    std::deque<std::string> m_typed;
};

class FakeClock : public Clock {
public:
    FakeClock(const ScriptedConsole& console, std::vector<ClockTime> times)
        : m_console(console), m_times(std::move(times)) {}
    ClockTime now() const override {
        readsAtCall.push_back(m_console.linesRead);
        return m_times.at(m_calls++);
    }
    mutable std::vector<int> readsAtCall;

private:
    const ScriptedConsole& m_console;
    std::vector<ClockTime> m_times;
    mutable std::size_t m_calls = 0;
};

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        copyEngineTables();
        run.histories = "30";
        run.write();
        writeSpectrum({{10, 1.0}, {11, 1.0}, {12, 1.0}});
    }
    ScopedWorkDir dir;
    RunFileValues run;
};

TEST_F(DriverTest, ConsoleTranscriptOfASmallRun) {
    ScriptedConsole console;
    FakeClock clock(console, {{9, 5, 7}, {10, 30, 0}});
    EXPECT_EQ(runEngine(console, clock), 0);
    const std::vector<std::string> expected = {
        "",
        "",
        "      ***  Monte Carlo Simulation  ***",
        "",
        "   Calculation of side scattered radiation",
        "          of the irradiated object",
        "            with the Pb curtain",
        "               2024 version",
        "",
        "  ---  Push Enter key to calculation start ---",
        " <<< Monte Carlo Simulation >>>",
        " Start time = 9: 5: 7",
        " 10 /  13",
        " 11 /  13",
        " 12 /  13",
        "",
        " Start time = 9: 5: 7",
        "",
        " Finish time =10:30: 0",
        "",
        "  ---     Result was saved     ---",
        "  ---      Push Enter key      ---",
        "Stop - Program terminated.",
    };
    EXPECT_EQ(console.shown, expected);
    EXPECT_EQ(console.linesRead, 2);
    // The start time is read after the first Enter, the finish time before the second.
    EXPECT_EQ(clock.readsAtCall, (std::vector<int>{1, 1}));
    EXPECT_TRUE(std::filesystem::exists("case.data"));
}

TEST_F(DriverTest, RunsUnattendedAtTheEndOfInput) {
    ScriptedConsole console(std::deque<std::string>{});
    FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}});
    EXPECT_EQ(runEngine(console, clock), 0);
    EXPECT_EQ(console.shown.back(), "Stop - Program terminated.");
    EXPECT_TRUE(std::filesystem::exists("case.data"));
}

TEST_F(DriverTest, SpectrumBelowBinTenRunsNoBinAndIsRefused) {
    // No bin from 10 up: there would be no primary kerma to relate the results to.
    writeSpectrum({{5, 1.0}, {9, 0.5}});
    ScriptedConsole console;
    FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}});
    EXPECT_THROW(runEngine(console, clock), DataError);
    EXPECT_TRUE(console.shown.empty()) << "refused before the banner";
}

TEST_F(DriverTest, MissingOrBrokenInputStopsBeforeTheBannerWithoutOutput) {
    for (const char* file : {"ICRUSoft.dat", "MU_en2016.dat", "Pb.dat", "B2F.txt", "B_SPCTL.dat"}) {
        const std::string saved = readWhole(file);
        std::filesystem::remove(file);
        ScriptedConsole console;
        FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}});
        try {
            runEngine(console, clock);
            ADD_FAILURE() << file << " missing was not reported";
        } catch (const DataError& e) {
            EXPECT_EQ(e.where().fileName, file);
        }
        EXPECT_TRUE(console.shown.empty()) << file;
        EXPECT_FALSE(std::filesystem::exists(file)) << "the missing file must not be created";
        std::ofstream(file, std::ios::binary) << saved.substr(0, saved.size() / 2);
        EXPECT_THROW(runEngine(console, clock), DataError) << file << " cut in half";
        std::ofstream(file, std::ios::binary) << saved;
    }
    EXPECT_FALSE(std::filesystem::exists("case.data"));
}

TEST_F(DriverTest, TablesThatDoNotServeTheRunAreRefusedWithFileAndLine) {
    writeSpectrum({{10, 1.0}, {100, 1.0}, {240, 1.0}});  // 5 to 120 keV
    struct Damage {
        const char* file;
        std::size_t line;    // 1-based
        std::size_t column;  // 0-based start of the replaced field
        const char* field;
        int expectedLine;  // 0: the run goes on
    };
    const Damage damages[] = {
        {"MU_en2016.dat", 100, 11, "   0.000000E+00", 100},  // zero inside the run's range
        {"MU_en2016.dat", 240, 11, "   0.100000E+99", 240},  // infinite in single precision
        {"MU_en2016.dat", 260, 11, "   0.000000E+00", 0},    // above the spectrum: not asked
        {"Pb.dat", 50, 9, " -1.0000E+00", 50},
        {"ICRUSoft.dat", 10, 19, "  .100E+99", 10},  // beyond single precision
    };
    for (const Damage& d : damages) {
        const std::string saved = readWhole(d.file);
        std::vector<std::string> lines = readTextFile(d.file, FileKind::PhysicsTable).lines;
        lines[d.line - 1].replace(d.column, std::string(d.field).size(), d.field);
        writeLines(d.file, lines);
        ScriptedConsole console;
        FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}, {0, 0, 2}});
        try {
            runEngine(console, clock);
            EXPECT_EQ(d.expectedLine, 0) << d.file << " line " << d.line << " accepted";
        } catch (const DataError& e) {
            EXPECT_EQ(e.where().fileName, d.file) << e.what();
            EXPECT_EQ(e.where().line, d.expectedLine) << e.what();
            EXPECT_TRUE(console.shown.empty()) << "refused before the banner";
        }
        std::ofstream(d.file, std::ios::binary) << saved;
    }
    // A tissue table whose rows end at 80 keV cannot serve a beam up to 120 keV.
    std::vector<std::string> tissue = readTextFile("ICRUSoft.dat", FileKind::PhysicsTable).lines;
    tissue[0] = " 20";
    tissue.erase(tissue.begin() + 22, tissue.begin() + 27);
    writeLines("ICRUSoft.dat", tissue);
    ScriptedConsole console;
    FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}});
    try {
        runEngine(console, clock);
        ADD_FAILURE() << "a table ending at 80 keV served a 120 keV beam";
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().line, 22) << e.what();
        EXPECT_NE(std::string(e.what()).find("from 5 keV to 120 keV"), std::string::npos)
            << e.what();
    }
}

TEST_F(DriverTest, BlankResultNameIsAskedForOnTheConsole) {
    run.resultName = "     ";
    run.write();
    ScriptedConsole console({"", "bad/name.data", "typed.data   ", ""});
    FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}});
    EXPECT_EQ(runEngine(console, clock), 0);
    const auto& shown = console.shown;
    const auto prompt = std::find(shown.begin(), shown.end(),
                                  "File name missing or blank - please enter file name");
    ASSERT_NE(prompt, shown.end());
    EXPECT_EQ(*(prompt + 1), "UNIT 1? ");
    EXPECT_NE((prompt + 2)->find("path separator"), std::string::npos);
    EXPECT_EQ(*(prompt + 3), "UNIT 1? ");
    EXPECT_TRUE(std::filesystem::exists("typed.data"));
}

TEST_F(DriverTest, AResultThatCannotBeWrittenIsNotThrownAway) {
    // The name is taken by a directory while the run goes on.
    ScriptedConsole console({"", "other.data", ""});
    console.onFirstRead = [] { std::filesystem::create_directory("case.data"); };
    FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}});
    EXPECT_EQ(runEngine(console, clock), 0);
    EXPECT_EQ(readWhole("other.data").size(),
              353u * 2 + 300u * 106 + 22 + 9 * 34 + 8 * 5 + 3 * 7 + 8 + 31 * 231);
}

TEST_F(DriverTest, AResultWhoseErrorsCannotBeWrittenIsSavedAloneAndNoOldErrorsPassForItsOwn) {
    // A run of the same name left its uncertainty file; while this run goes
    // on, that name becomes unwritable (a directory holding a file stands there).
    writeLines("case.unc.csv", {"x"});
    ScriptedConsole console({"", ""});
    console.onFirstRead = [] {
        std::filesystem::remove("case.unc.csv");
        std::filesystem::create_directory("case.unc.csv");
        writeLines("case.unc.csv/kept", {"x"});
    };
    FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}});
    EXPECT_EQ(runEngine(console, clock), 0);
    EXPECT_TRUE(std::filesystem::exists("case.data"));
    const auto said = std::find(console.shown.begin(), console.shown.end(),
                                " The result was saved without its statistical errors.");
    EXPECT_NE(said, console.shown.end());
    EXPECT_THROW(readUncertaintiesBeside("case.data"), DataError);

    // A result named as another result's uncertainty file is refused.
    run.resultName = "other.unc.csv";
    run.write();
    ScriptedConsole refused({"", ""});
    FakeClock clock2(refused, {{0, 0, 0}, {0, 0, 1}});
    EXPECT_THROW(runEngine(refused, clock2), DataError);
}

//! Runs the engine and expects it to refuse the run file's result name before
//! the banner: no history simulated, no file changed. Returns the reason.
std::string refusedBeforeTheBanner(const std::string& label) {
    ScriptedConsole console;
    FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}});
    try {
        runEngine(console, clock);
        ADD_FAILURE() << label << ": the run was not refused";
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().fileName, "B2F.txt") << label;
        EXPECT_EQ(e.where().line, 8) << label;
        EXPECT_TRUE(console.shown.empty()) << label << ": refused after the banner";
        return e.what();
    }
    return {};
}

TEST_F(DriverTest, AResultNeverReplacesAFileOfAnotherKind) {
    std::filesystem::create_directory("folder.data");
    ::mkfifo("pipe.data", 0644);
    writeLines("lumetrel", {"#!/bin/sh"});
    std::filesystem::permissions("lumetrel", std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    writeLines("notes.txt", {"the user's own notes"});
    writeLines("other.unc.csv", {"x"});
    writeLines("kept.korvana.json", {"{\"korvana_case\": 1}"});
    struct Case {
        std::string name;      //!< line 8 of B2F.txt
        std::string standing;  //!< the file's kind as the reason names it
    };
    const std::vector<Case> cases = {
        {"Pb.dat", "a physics table"},
        {"ICRUSoft.dat", "a physics table"},
        {"MU_en2016.dat", "a physics table"},
        {"B2F.txt", "the run file"},
        {"B_SPCTL.dat", "the spectrum file"},
        {"HVL_S2.dat", "the HVL results file"},  // not there now: its name is enough
        {"lumetrel", "a program"},
        {"korvana-study", "a program"},
        {"pb.DAT", "a physics table"},  // other systems' file names ignore the case
        {"folder.data", "a directory"},
        {"pipe.data", "a special file"},
        {"notes.txt", "a file no Korvana program writes"},
        {"kept.korvana.json", "a case file"},
    };
    for (const Case& c : cases) {
        run.resultName = c.name;
        run.write();
        std::map<std::string, std::string> before;
        for (const auto& entry : std::filesystem::directory_iterator(".")) {
            if (entry.is_regular_file()) before[entry.path().filename()] = readWhole(entry.path());
        }
        const std::string reason = refusedBeforeTheBanner(c.name);
        EXPECT_NE(reason.find(c.standing), std::string::npos) << c.name << ": " << reason;
        for (const auto& [file, content] : before) {
            EXPECT_EQ(readWhole(file), content) << c.name << " changed " << file;
        }
        EXPECT_FALSE(std::filesystem::exists(uncertaintyFileName(c.name)) &&
                     before.count(uncertaintyFileName(c.name)) == 0)
            << c.name;
    }
    // A result replaces a result, also one under a name that does not tell its kind.
    run.resultName = "run1";
    run.write();
    for (int pass = 0; pass < 2; ++pass) {
        ScriptedConsole console;
        FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}});
        EXPECT_EQ(runEngine(console, clock), 0) << "pass " << pass;
    }
    EXPECT_TRUE(std::filesystem::exists("run1.uncertainty.csv"));
}

TEST_F(DriverTest, ANameTooLongForTheDirectoryIsRefusedBeforeTheBanner) {
    const std::size_t longest = longestResultStem(".");
    // The launch dialog's names: a stem followed by ".data".
    for (const std::size_t bytes :
         {longest + 1, std::size_t{241}, std::size_t{245}, std::size_t{250}, std::size_t{251}}) {
        run.resultName = std::string(bytes, 'n') + ".data";
        run.write();
        const std::string reason = refusedBeforeTheBanner(std::to_string(bytes) + " bytes");
        EXPECT_NE(reason.find("too long"), std::string::npos) << reason;
        // The longest name the user may give, ".data" included.
        EXPECT_NE(reason.find("at most " + std::to_string(longest + 5) + " bytes"),
                  std::string::npos)
            << reason;
    }
    // The longest name the rule gives is written whole, with its errors.
    run.resultName = std::string(longest, 'n') + ".data";
    run.write();
    ScriptedConsole console;
    FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}});
    EXPECT_EQ(runEngine(console, clock), 0);
    EXPECT_NO_THROW(readUncertaintiesBeside(run.resultName));
}

TEST_F(DriverTest, AReadOnlyDirectoryOrAFullDiskIsNamedBeforeTheRun) {
    std::vector<std::string> inputs = {"ICRUSoft.dat", "MU_en2016.dat", "Pb.dat", "B2F.txt",
                                       "B_SPCTL.dat"};
    std::size_t inputBytes = 0;
    for (const std::string& file : inputs) inputBytes += std::filesystem::file_size(file);
    for (const bool readOnly : {true, false}) {
        // Room for the inputs and a little more, far less than a run's files need.
        ScratchMount disk(dir.path() / (readOnly ? "ro" : "full"), inputBytes + 64 * 1024);
        if (!disk.mounted()) {
            GTEST_SKIP() << "no privilege to mount a scratch file system";
        }
        for (const std::string& file : inputs) {
            std::filesystem::copy_file(file, dir.path() / (readOnly ? "ro" : "full") / file);
        }
        if (readOnly) {
            ASSERT_TRUE(disk.makeReadOnly());
        }
        std::filesystem::current_path(dir.path() / (readOnly ? "ro" : "full"));
        const std::string reason = refusedBeforeTheBanner(readOnly ? "read-only" : "full");
        EXPECT_NE(reason.find(readOnly ? "read-only" : "disk is full"), std::string::npos)
            << reason;
        std::filesystem::current_path(dir.path());
    }
}

TEST_F(DriverTest, AResultThatCannotBeWrittenAfterTheRunNamesTheReason) {
    // The directory becomes unwritable for this name while the run goes on;
    // the console then ends without another name.
    ScriptedConsole console({"", ""});
    console.onFirstRead = [] { std::filesystem::create_directory("case.data"); };
    FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}});
    EXPECT_NE(runEngine(console, clock), 0);
    const auto said = std::find_if(console.shown.begin(), console.shown.end(), [](auto& line) {
        return line.rfind("The results were not saved: case.data: ", 0) == 0;
    });
    ASSERT_NE(said, console.shown.end()) << "the reason is not named";
    EXPECT_NE(said->find("a directory stands at that name"), std::string::npos) << *said;
}

TEST_F(DriverTest, NoNameAtTheEndOfInputIsAFailure) {
    run.resultName = "";
    run.write();
    ScriptedConsole console({""});
    FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}});
    EXPECT_NE(runEngine(console, clock), 0);
    EXPECT_EQ(
        std::find(console.shown.begin(), console.shown.end(), "  ---     Result was saved     ---"),
        console.shown.end());
}

TEST_F(DriverTest, ASceneWithEyePointsIsSavedBesideTheResultWithTheirKermas) {
    writeLines("room.scene.json", {R"({"version": 1, "eye_points": [)",
                                   R"(  {"name": "operator", "position_cm": [60, 30, -40]},)",
                                   R"(  {"name": "assistant", "position_cm": [80, -20, 10]}]})"});
    EngineOptions options;
    options.sceneFile = "room.scene.json";
    options.estimator = Estimator::NextEvent;
    ScriptedConsole console;
    FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}});
    ASSERT_EQ(runEngine(console, clock, options), 0);
    const std::optional<EyePointTable> eyes = readPointsBeside("case.data");
    ASSERT_TRUE(eyes);
    ASSERT_EQ(eyes->points.size(), 2u);
    EXPECT_EQ(eyes->points[1].name, "assistant");
    EXPECT_GT(eyes->points[0].airKermaRatio, 0.0);
    EXPECT_EQ(readSceneFile("case.scene.json"), readSceneFile("room.scene.json"));

    // Under the analog estimator the eye points are refused before the banner.
    std::filesystem::remove_all("case.data");
    options.estimator = Estimator::Analog;
    ScriptedConsole analog;
    try {
        runEngine(analog, clock, options);
        ADD_FAILURE() << "eye points were accepted under the analog estimator";
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().fileName, "room.scene.json");
        EXPECT_NE(std::string(e.what()).find("--estimator next-event"), std::string::npos)
            << e.what();
    }
    EXPECT_TRUE(analog.shown.empty());
    EXPECT_FALSE(std::filesystem::exists("case.data"));
}

TEST_F(DriverTest, ARunWithoutASceneLeavesNoEarlierRoomBesideItsResult) {
    writeLines(
        "room.scene.json",
        {R"({"version": 1, "eye_points": [{"name": "operator", "position_cm": [60, 30, -40]}]})"});
    EngineOptions options;
    options.sceneFile = "room.scene.json";
    options.estimator = Estimator::NextEvent;
    ScriptedConsole withRoom;
    FakeClock clock(withRoom, {{0, 0, 0}, {0, 0, 1}});
    ASSERT_EQ(runEngine(withRoom, clock, options), 0);
    ASSERT_TRUE(std::filesystem::exists("case.scene.json"));
    ASSERT_TRUE(std::filesystem::exists("case.points.csv"));

    options.sceneFile.clear();
    ScriptedConsole without;
    FakeClock clockWithout(without, {{0, 0, 0}, {0, 0, 1}});
    ASSERT_EQ(runEngine(without, clockWithout, options), 0);
    EXPECT_FALSE(std::filesystem::exists("case.scene.json"));
    EXPECT_FALSE(std::filesystem::exists("case.points.csv"));
    EXPECT_TRUE(std::filesystem::exists("room.scene.json"));  // the user's own file stays
}

TEST_F(DriverTest, ABadSceneIsRefusedWithFileAndKeyAndNothingIsWritten) {
    const std::vector<std::pair<std::string, std::string>> scenes = {
        {R"({"version": 1, "shelves": []})", "shelves"},
        {R"({"version": 1, "eye_points": [{"name": "in", "position_cm": [0, 0, 5]}]})",
         "eye_points[0]"},
        {R"({"version": 2})", "version"},
    };
    for (const auto& [text, key] : scenes) {
        writeLines("bad.scene.json", {text});
        EngineOptions options;
        options.sceneFile = "bad.scene.json";
        options.estimator = Estimator::NextEvent;
        ScriptedConsole console;
        FakeClock clock(console, {{0, 0, 0}, {0, 0, 1}});
        try {
            runEngine(console, clock, options);
            ADD_FAILURE() << text << " was accepted";
        } catch (const DataError& e) {
            EXPECT_EQ(e.where().fileName, "bad.scene.json") << e.what();
            EXPECT_NE(std::string(e.what()).find(key), std::string::npos) << e.what();
        }
        EXPECT_TRUE(console.shown.empty()) << text;
        for (const char* file :
             {"case.data", "case.unc.csv", "case.points.csv", "case.scene.json"}) {
            EXPECT_FALSE(std::filesystem::exists(file)) << text << " wrote " << file;
        }
    }
}

TEST(ConsoleLines, ClockAndProgressFormats) {
    EXPECT_EQ(clockLine("Start time", {9, 5, 7}), " Start time = 9: 5: 7");
    EXPECT_EQ(clockLine("Finish time", {23, 59, 10}), " Finish time =23:59:10");
    EXPECT_EQ(engineProgressLine(10, 241), " 10 / 241");
    EXPECT_EQ(engineProgressLine(240, 241), "240 / 241");
    EXPECT_EQ(engineProgressLine(9, 10), "  9 /  10");
    // korvana-study reads the bin back from the line, and only from such a line.
    EXPECT_EQ(engineProgressBin(engineProgressLine(9, 10)), 9);
    EXPECT_EQ(engineProgressBin("240 / 241"), 240);
    for (const char* other :
         {"", " Start time = 9: 5: 7", "10 /", "/ 241", "10 / 241 x", "1a / 2"}) {
        EXPECT_FALSE(engineProgressBin(other)) << other;
    }
}

}  // namespace
}  // namespace korvana::engine

namespace korvana::engine {
namespace {

// The whole chain from the inputs to the bytes of the result file, pinned by a
// committed reference (tools/regenerate_reference_result.sh makes it anew when
// a change of the results is intended).
TEST(ReferenceResult, DefaultCaseIsReproducedByteForByte) {
    using namespace korvana::testing;
    const std::string reference =
        readWhole(std::string(KORVANA_REFERENCE_DIR) + "/default_case_2e4.data");
    ASSERT_FALSE(reference.empty());
    ScopedWorkDir dir;
    copyEngineTables();
    std::filesystem::copy_file(std::string(KORVANA_DATA_DIR) + "/example/B_SPCTL.dat",
                               "B_SPCTL.dat");
    writeLines("B2F.txt",
               {"20.0", "80.0", "25.0", "25.0", "0.035", "60.0", "2.000E+04", "reference.data"});
    std::istringstream in;
    std::ostringstream out;
    StreamConsole console(in, out);
    SystemClock clock;
    ASSERT_EQ(runEngine(console, clock), 0);
    EXPECT_TRUE(readWhole("reference.data") == reference)
        << "the result file differs from tests/engine/reference/default_case_2e4.data";
}

}  // namespace
}  // namespace korvana::engine
