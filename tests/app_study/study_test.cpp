// Whole studies with the real chain: the spectrum core, tavisen and lumetrel
// (the built programs), at 2e4 histories per condition.
#include "app/study/study.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "app/common/picture_format.h"
#include "app/results/eye_lens_dose.h"
#include "app/results/results_command.h"
#include "app/spectrum/hvl_results.h"
#include "app/study/summary_file.h"
#include "common/data_error.h"
#include "common/scene_file.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"
#include "temp_dir.h"

namespace korvana::study {
namespace {

namespace fs = std::filesystem;
using testing::readWhole;
using testing::ScopedWorkDir;

const StudyEnvironment ENVIRONMENT{LUMETREL_PROGRAM, TAVISEN_PROGRAM, KORVANA_DATA_DIR};

// Stands in for the plot library: leaves the file, naming what it was to draw.
void fakePlot(const std::string& fileName, const std::vector<SummaryRow>& rows,
              const std::vector<StudyInput>& swept, const SummaryLayout&) {
    std::ofstream(fileName) << rows.size() << " rows against " << describe(swept.at(0)).option;
}

struct StudyRun {
    int status = -1;
    std::string out;
    std::string errors;
};

// A refusal before the run comes back as exit status 1, as from the command.
StudyRun study(
    std::vector<std::string> arguments,
    const std::function<bool()>& keepGoing = [] { return true; }) {
    arguments.insert(arguments.end(), {"--length", "60", "--histories", "2e4"});
    std::ostringstream out, errors;
    StudyRun run;
    try {
        run.status = runStudy(parseStudyOptions(arguments), ENVIRONMENT, {out, errors, false},
                              keepGoing, fakePlot);
    } catch (const DataError& e) {
        errors << e.what();
        run.status = 1;
    }
    run.out = out.str();
    run.errors = errors.str();
    return run;
}

std::string cell(const SummaryRow& row, const char* column) { return row[summaryColumn(column)]; }

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// korvana-results' table for one result file: per angle the printed air kerma
// and eye lens doses without and with glasses. It reads its tables from the
// working directory, so it runs in the condition's folder.
std::map<int, std::vector<std::string>> korvanaResultsTable(const fs::path& folder) {
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    std::ostringstream out, errors;
    const int status = app::runResultsCommand({folder.filename().string() + ".data"}, out, errors);
    fs::current_path(previous);
    EXPECT_EQ(status, 0) << errors.str();
    std::map<int, std::vector<std::string>> table;
    std::istringstream lines(out.str());
    std::string line;
    bool errorColumn = false;  // "±" beside the kerma when the result has its .unc.csv
    while (std::getline(lines, line)) {
        if (line.find("air kerma") != std::string::npos)
            errorColumn = line.find("±") != std::string::npos;
        // The mark of an unstable error stands beside it; the table is the numbers.
        if (const auto mark = line.find(" unstable"); mark != std::string::npos) {
            line.erase(mark, 9);
        }
        std::istringstream words(line);
        int angle = 0;
        std::vector<std::string> values(errorColumn ? 7 : 6);
        if (!(words >> angle) || angle < 45 || angle > 135) continue;
        for (std::string& value : values) words >> value;
        if (errorColumn) values.erase(values.begin() + 1);
        if (words) table[angle] = values;  // kerma, D/K, eye lens, transmitted, D/K, eye lens
    }
    return table;
}

std::string asPrinted(const std::string& csvCell) {
    return csvCell.empty() ? "-" : app::formatPicture(std::stod(csvCell), "0.000E+00");
}

TEST(Study, SummaryRowsAreWhatKorvanaResultsComputesFromTheResultFiles) {
    ScopedWorkDir dir;
    const StudyRun run = study({"--pb", "0,0.35", "--out", "s"});
    ASSERT_EQ(run.status, 0) << run.out << run.errors;
    const std::vector<SummaryRow> rows = readSummary("s/summary.csv");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(fs::exists("s/summary.svg"));
    for (const SummaryRow& row : rows) {
        const fs::path folder = fs::path("s") / cell(row, "folder");
        // The short runs leave some tallies unstable: the status says so when they do.
        bool unstable = false;
        for (int angle = 30; angle <= 150; angle += 15) {
            const std::string flag =
                cell(row, ("kerma_" + std::to_string(angle) + "_unstable").c_str());
            EXPECT_TRUE(flag == "0" || flag == "1") << flag;
            unstable = unstable || flag == "1";
        }
        EXPECT_EQ(cell(row, "status"), unstable ? "ok, unstable tallies" : "ok");
        for (const char* file : {"B_SPCTL.dat", "HVL_S2.dat", "B2F.txt"}) {
            EXPECT_TRUE(fs::exists(folder / file)) << folder / file;
        }
        const auto hvl = app::readHvlResults((folder / "HVL_S2.dat").string());
        ASSERT_TRUE(hvl);
        EXPECT_EQ(std::stod(cell(row, "hvl1_mm_al")), hvl->firstHvlMm);
        EXPECT_EQ(std::stod(cell(row, "eeff_kev")), hvl->firstEffectiveEnergyKev);
        const auto printed = korvanaResultsTable(folder);
        ASSERT_EQ(printed.size(), 7u);
        for (const auto& [angle, values] : printed) {
            const std::string a = std::to_string(angle);
            EXPECT_EQ(asPrinted(cell(row, ("kerma_" + a).c_str())), values[0]) << angle;
            EXPECT_EQ(asPrinted(cell(row, ("eye_lens_" + a).c_str())), values[2]) << angle;
            EXPECT_EQ(asPrinted(cell(row, ("eye_lens_glasses_" + a).c_str())), values[5]) << angle;
            // The engine writes the errors beside every result, in per cent as
            // korvana-results prints them.
            EXPECT_NE(cell(row, ("kerma_" + a + "_rel_err_percent").c_str()), "") << angle;
            // Doses with the kermas' four significant digits.
            const std::string dose = cell(row, ("eye_lens_" + a).c_str());
            const std::string mantissa = dose.substr(0, dose.find_first_of("eE"));
            int digits = 0;
            bool leading = true;
            for (char c : mantissa) {
                if (c == '0' && leading) continue;
                if (c >= '0' && c <= '9') {
                    leading = false;
                    ++digits;
                }
            }
            EXPECT_LE(digits, 4) << dose;
        }
    }
    EXPECT_EQ(cell(rows[0], "folder"), "pb0");
    EXPECT_EQ(cell(rows[1], "pb_mm"), "0.35");
}

TEST(Study, ErrorsFromTheUncertaintyFileAndTheEyeLensDosesTakeTheKermas) {
    ScopedWorkDir dir;
    ASSERT_EQ(study({"--pb", "0.35", "--out", "s"}).status, 0);
    const fs::path folder = "s/condition";
    // The engine's own file, its errors replaced by known ones.
    const std::string uncertaintyFile = uncertaintyFileName((folder / "condition.data").string());
    UncertaintyTable table = readUncertaintyFile(uncertaintyFile);
    for (int k = 0; k < POINT_COUNT; ++k) table.points[k].relStdError = 0.01 * (k + 1);
    writeTextFileAtomically(uncertaintyFile, uncertaintyFileLines(table));
    StudyTables tables;
    tables.eyeLens = app::loadEyeLensDoseTables(KORVANA_DATA_DIR);
    const ConditionResult result = readConditionResult(folder, tables);
    for (int k = 0; k < POINT_COUNT; ++k) EXPECT_EQ(result.kermaRelErr[k], 0.01 * (k + 1));
    for (int j = 0; j < EYE_POINTS; ++j) {
        EXPECT_EQ(result.eyeLensRelErr[j], 0.01 * (j + 2)) << j;  // 45 degrees is point 2
        EXPECT_EQ(result.eyeLensGlassesRelErr[j], 0.01 * (j + 2)) << j;
    }
}

TEST(Study, FinishedConditionsAreSkippedUnlessForcedOrChanged) {
    ScopedWorkDir dir;
    ASSERT_EQ(study({"--pb", "0,0.35", "--out", "s"}).status, 0);
    const std::string first = readWhole("s/summary.csv");
    const auto written = fs::last_write_time("s/pb0/pb0.data");

    const StudyRun again = study({"--pb", "0,0.35", "--out", "s"});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(occurrences(again.out, "done earlier, skipped"), 2u) << again.out;
    EXPECT_EQ(fs::last_write_time("s/pb0/pb0.data"), written);

    const StudyRun forced = study({"--pb", "0,0.35", "--out", "s", "--force"});
    EXPECT_EQ(forced.status, 0);
    EXPECT_EQ(occurrences(forced.out, ": ok in"), 2u) << forced.out;
    EXPECT_EQ(readWhole("s/summary.csv"), first);  // same inputs, same fixed-seed results

    // A condition whose result file is gone runs again; the others stay skipped.
    fs::remove("s/pb0.35/pb0.35.data");
    const StudyRun resumed = study({"--pb", "0,0.35", "--out", "s"});
    EXPECT_EQ(occurrences(resumed.out, "done earlier, skipped"), 1u) << resumed.out;
    EXPECT_TRUE(fs::exists("s/pb0.35/pb0.35.data"));
}

// Each condition's engine is given its room: the wrapper stands in for an
// engine that takes --scene, recording its arguments in the condition's
// folder and running the engine on the rest.
TEST(Study, EachConditionsRunIsGivenItsRoomAndARoomChangedRunsAgain) {
    ScopedWorkDir dir;
    std::ofstream("engine.sh")
        << "#!/bin/sh\nprintf '%s\\n' \"$*\" > arguments.txt\n"
        << "for a do shift; if [ \"$a\" = --scene ]; then skip=1; elif [ -n \"$skip\" ]; "
        << "then skip=; else set -- \"$@\" \"$a\"; fi; done\n"
        << "exec " << LUMETREL_PROGRAM << " \"$@\"\n";
    fs::permissions("engine.sh", fs::perms::owner_all);
    const StudyEnvironment wrapped{fs::absolute("engine.sh").string(), TAVISEN_PROGRAM,
                                   KORVANA_DATA_DIR};
    const auto roomStudy = [&wrapped](double leadMm, std::vector<std::string> arguments) {
        SceneDescription scene;
        scene.shields.push_back({"ceiling", leadMm, {55, 0, -45}, 60, 75, 0});
        writeSceneFile("room.json", scene);
        arguments.insert(arguments.end(),
                         {"--pb", "0", "--length", "60", "--histories", "2e4", "--out", "s"});
        std::ostringstream out, errors;
        StudyRun run;
        try {
            run.status = runStudy(
                parseStudyOptions(arguments), wrapped, {out, errors, false}, [] { return true; },
                fakePlot);
        } catch (const DataError& e) {
            errors << e.what();
            run.status = 1;
        }
        run.out = out.str();
        run.errors = errors.str();
        return run;
    };
    const StudyRun first = roomStudy(0.5, {"--scene", "room.json", "--shield-x", "40,60"});
    ASSERT_EQ(first.status, 0) << first.out << first.errors;
    EXPECT_EQ(readWhole("s/shield-x40/arguments.txt"), "--scene study_scene.json\n");
    EXPECT_EQ(readSceneFile("s/shield-x60/study_scene.json").shields.at(0).centreCm[0], 60.0);
    EXPECT_NE(readWhole("s/shield-x60/shield-x60.made_from.txt").find("\nscene "),
              std::string::npos);
    const SummaryTable table = readSummaryTable("s/summary.csv");
    ASSERT_TRUE(table.layout.scene);
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(cellOf(table.rows[1], table.layout, "shield_x_cm"), "60");
    EXPECT_EQ(cellOf(table.rows[1], table.layout, "shield_lead_mm"), "0.5");
    EXPECT_TRUE(statusIsOk(rowStatus(table.rows[1]))) << rowStatus(table.rows[1]);
    EXPECT_NE(cellOf(table.rows[1], table.layout, "kerma_90"), "");

    const StudyRun again = roomStudy(0.5, {"--scene", "room.json", "--shield-x", "40,60"});
    EXPECT_EQ(occurrences(again.out, "done earlier, skipped"), 2u) << again.out;
    // Another room in the same file is another condition's run.
    const StudyRun thicker = roomStudy(1.0, {"--scene", "room.json", "--shield-x", "40,60"});
    EXPECT_EQ(occurrences(thicker.out, ": ok in"), 2u) << thicker.out << thicker.errors;
    // The summary of a room is not continued by a study without one.
    const StudyRun roomless = study({"--pb", "0", "--out", "s"});
    EXPECT_EQ(roomless.status, 1);
    EXPECT_NE(roomless.errors.find("was written with a scene"), std::string::npos)
        << roomless.errors;
}

std::vector<std::string> withYear(std::vector<std::string> arguments,
                                  const std::vector<std::string>& year) {
    arguments.insert(arguments.end(), year.begin(), year.end());
    return arguments;
}

TEST(Study, AResultRunAgainByHandWithOtherInputsIsNotTakenForTheRows) {
    ScopedWorkDir dir;
    const std::vector<std::string> year = {"--entrance-kerma", "80", "--procedures", "500"};
    ASSERT_EQ(study(withYear({"--pb", "0", "--out", "s"}, year)).status, 0);
    const std::string first = readWhole("s/summary.csv");
    // The folder's result made again by hand behind 0.5 mm of lead.
    ASSERT_EQ(study(withYear({"--pb", "0.5", "--out", "t"}, year)).status, 0);
    for (const char* file : {"condition.data", "condition.unc.csv"}) {
        fs::copy_file(fs::path("t/condition") / file, fs::path("s/condition") / file,
                      fs::copy_options::overwrite_existing);
    }
    const StudyRun again = study(withYear({"--pb", "0", "--out", "s"}, year));
    EXPECT_EQ(again.status, 0) << again.errors;
    EXPECT_EQ(occurrences(again.out, "done earlier, skipped"), 0u) << again.out;
    EXPECT_NE(again.out.find("the result file is not the one its run wrote"), std::string::npos)
        << again.out;
    EXPECT_EQ(readWhole("s/summary.csv"), first);  // the row's own fixed-seed result again
}

TEST(Study, ADamagedResultIsRunAgainForTheNewWorkloadNotLeftWithTheOld) {
    ScopedWorkDir dir;
    ASSERT_EQ(study({"--pb", "0", "--out", "s", "--kap", "50", "--procedures", "500"}).status, 0);
    const std::string at50 = cell(readSummary("s/summary.csv").at(0), "annual_eye_lens_90_msv");
    std::vector<std::string> lines =
        readTextFile("s/condition/condition.data", FileKind::Result).lines;
    lines.resize(10);
    writeTextFileAtomically("s/condition/condition.data", lines);
    const StudyRun again =
        study({"--pb", "0", "--out", "s", "--kap", "100", "--procedures", "500"});
    EXPECT_EQ(again.status, 0) << again.errors;
    EXPECT_EQ(occurrences(again.out, "done earlier, skipped"), 0u) << again.out;
    const SummaryRow row = readSummary("s/summary.csv").at(0);
    EXPECT_TRUE(statusIsOk(rowStatus(row))) << rowStatus(row);
    // The year's dose is proportional to the P_KA, and the run again gives the
    // same fixed-seed result: twice the figure of 50 Gy cm2, to the cells' four
    // significant digits.
    const double at100 = std::stod(cell(row, "annual_eye_lens_90_msv"));
    EXPECT_NEAR(at100, 2 * std::stod(at50), 1e-3 * at100) << at50;
}

TEST(Study, PartsMergedEqualTheWholeStudy) {
    ScopedWorkDir dir;
    ASSERT_EQ(study({"--pb", "0,0.25,0.35", "--out", "whole"}).status, 0);
    ASSERT_EQ(study({"--pb", "0,0.25,0.35", "--out", "p1", "--part", "1/2"}).status, 0);
    const StudyRun second = study({"--pb", "0,0.25,0.35", "--out", "p2", "--part", "2/2"});
    ASSERT_EQ(second.status, 0);
    EXPECT_EQ(readSummary("p2/summary.csv").size(), 1u);

    std::ostringstream out, errors;
    const int incomplete = runStudy(
        parseStudyOptions({"--merge", "p1", "--out", "half"}), {}, {out, errors, false},
        [] { return true; }, fakePlot);
    EXPECT_EQ(incomplete, 1);
    EXPECT_NE(errors.str().find("conditions 2 are in none"), std::string::npos) << errors.str();

    const int merged = runStudy(
        parseStudyOptions({"--merge", "p2", "p1", "--out", "merged"}), {}, {out, errors, false},
        [] { return true; }, fakePlot);
    EXPECT_EQ(merged, 0) << errors.str();
    EXPECT_EQ(readWhole("merged/summary.csv"), readWhole("whole/summary.csv"));
    EXPECT_EQ(readWhole("merged/summary.svg"), "3 rows against pb");
}

TEST(Study, AFailedConditionIsMarkedAndTheStudyGoesOn) {
    ScopedWorkDir dir;
    std::ostringstream out, errors;
    const int status = runStudy(
        parseStudyOptions({"--pb", "0.35", "--length", "200,60", "--histories", "2e4"}),
        ENVIRONMENT, {out, errors, false}, [] { return true; }, fakePlot);
    EXPECT_EQ(status, 1);
    const std::vector<SummaryRow> rows = readSummary("study/summary.csv");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(cell(rows[0], "status").rfind("failed: curtain check:", 0), 0u)
        << cell(rows[0], "status");
    EXPECT_EQ(cell(rows[0], "kerma_90"), "");
    EXPECT_TRUE(statusIsOk(cell(rows[1], "status"))) << cell(rows[1], "status");
    EXPECT_NE(errors.str().find("study/length200"), std::string::npos) << errors.str();
}

TEST(Study, AResultNameTooLongForItsFolderFailsBeforeTheRun) {
    ScopedWorkDir dir;
    // Folders (and result names) of 245 bytes, "pb" and the value as given:
    // within what a name may hold, but not with ".unc.csv" and a temporary.
    const std::string lead = "0.35" + std::string(239, '0');
    const std::string other = "0.25" + std::string(239, '0');
    std::ostringstream out, errors;
    const int status = runStudy(
        parseStudyOptions({"--pb", lead + "," + other, "--length", "60", "--histories", "2e4"}),
        ENVIRONMENT, {out, errors, false}, [] { return true; }, fakePlot);
    EXPECT_EQ(status, 1);
    const std::vector<SummaryRow> rows = readSummary("study/summary.csv");
    ASSERT_EQ(rows.size(), 2u);
    for (const SummaryRow& row : rows) {
        EXPECT_FALSE(statusIsOk(cell(row, "status"))) << cell(row, "status");
        EXPECT_NE(cell(row, "status").find("too long"), std::string::npos) << cell(row, "status");
    }
    EXPECT_FALSE(fs::exists("study/pb" + lead + "/pb" + lead + ".data"));
}

TEST(Study, AFolderInUseOrHoldingAnotherStudyIsRefused) {
    ScopedWorkDir dir;
    ASSERT_EQ(study({"--pb", "0,0.35", "--out", "s"}).status, 0);
    const std::string summary = readWhole("s/summary.csv");
    const StudyRun other = study({"--pb", "0,0.25,0.35", "--out", "s"});
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.errors.find("of another study"), std::string::npos) << other.errors;

    // A finished study leaves no lock file behind; a running one holds it.
    EXPECT_FALSE(fs::exists("s/.korvana-study.lock"));
    const int lock = ::open("s/.korvana-study.lock", O_RDWR | O_CREAT, 0644);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    const StudyRun second = study({"--pb", "0,0.35", "--out", "s", "--force"});
    ::close(lock);
    EXPECT_EQ(second.status, 1);
    EXPECT_NE(second.errors.find("another korvana-study is running"), std::string::npos)
        << second.errors;
    EXPECT_EQ(readWhole("s/summary.csv"), summary);
}

TEST(Study, AnInterruptedConditionLeavesNoPartialFilesNorRow) {
    ScopedWorkDir dir;
    // Stop as the engine is about to start on the second condition.
    const StudyRun run =
        study({"--pb", "0,0.35", "--out", "s"}, [] { return !fs::exists("s/pb0.35/B2F.txt"); });
    EXPECT_EQ(run.status, EXIT_INTERRUPTED);
    EXPECT_FALSE(fs::exists("s/pb0.35"));
    const std::vector<SummaryRow> rows = readSummary("s/summary.csv");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(cell(rows[0], "folder"), "pb0");
}

TEST(Study, AnInterruptedConditionKeepsTheFilesTheUserPutInItsFolder) {
    ScopedWorkDir dir;
    fs::create_directories("s/pb0.35");
    std::ofstream("s/pb0.35/notes.txt") << "the user's own\n";
    const StudyRun run =
        study({"--pb", "0,0.35", "--out", "s"}, [] { return !fs::exists("s/pb0.35/B2F.txt"); });
    EXPECT_EQ(run.status, EXIT_INTERRUPTED);
    EXPECT_EQ(readWhole("s/pb0.35/notes.txt"), "the user's own\n");
    for (const char* written : {"B_SPCTL.dat", "HVL_S2.dat", "pb0.35.log", "Pb.dat"}) {
        EXPECT_FALSE(fs::exists(fs::path("s/pb0.35") / written)) << written;
    }
}

TEST(Study, CorrectedValuesAreListedBeforeTheRun) {
    ScopedWorkDir dir;
    const StudyRun run = study({"--kv", "200,80", "--pb", "0", "--dry-run"});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.out.find("kv200  (kv corrected 200 -> 149.5)"), std::string::npos) << run.out;
}

TEST(Study, TheDryRunGivesTheExpectedTimeFromTheKeptRates) {
    ScopedWorkDir dir;
    std::ofstream("engine_speed.json")
        << R"({"korvana_run_rates": 1, "next-event": {"historiesPerSecondPerThread": 1000, "runs": 2}})";
    // Two conditions of 2e4 histories on 2 threads at 1000 per second each.
    const StudyRun run =
        study({"--pb", "0,0.35", "--threads", "2", "--estimator", "next-event", "--dry-run"});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.out.find("Expected wall time: about 20 s for 2 condition(s)"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("refined by 2 finished run(s)"), std::string::npos) << run.out;
}

TEST(Study, AnExpectedTimeNoRateCanMeanIsAQuestionMark) {
    ScopedWorkDir dir;
    std::ofstream("engine_speed.json")
        << R"({"korvana_run_rates": 1, "analog": {"historiesPerSecondPerThread": 1e-15, "runs": 1}})";
    // 2e4 histories at 1e-15 per second: 2e19 s, beyond any whole count of seconds.
    const StudyRun run = study({"--pb", "0", "--dry-run"});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.out.find("Expected wall time: about ? for 1 condition(s)"), std::string::npos)
        << run.out;
}

// A case file that is not a file, or not one of Korvana's, ends the command at
// once with the file and the reason, before anything runs.
TEST(Study, ACaseFileThatIsNotACaseEndsPromptlyNamingTheFile) {
    const struct {
        const char* what;
        std::function<void()> make;  //!< lays out case.korvana.json
        const char* reason;
    } rows[] = {
        {"nested a hundred thousand deep",
         [] {
             std::ofstream("case.korvana.json")
                 << R"({"korvana_case": 1, "kv": )" << std::string(100000, '[')
                 << std::string(100000, ']') << "}";
         },
         "more than 16 deep"},
        {"FIFO", [] { ::mkfifo("case.korvana.json", 0600); }, "is a FIFO"},
        {"directory", [] { fs::create_directory("case.korvana.json"); }, "is a directory"},
        {"dangling link", [] { fs::create_symlink("gone.json", "case.korvana.json"); },
         "dangling symbolic link"},
        {"a key twice",
         [] {
             std::ofstream("case.korvana.json")
                 << R"({"korvana_case": 1, "kv": "80", "kv": "100"})";
         },
         "\"kv\" is given twice"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ScopedWorkDir dir;
        row.make();
        // Should the command wait for a writer of the FIFO, one comes after 10 s
        // and writes nothing, so a hang shows as a slow, wrongly worded refusal.
        std::atomic<bool> ended = false;
        std::thread writer([&ended] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!ended && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            if (ended) return;
            const int fd = ::open("case.korvana.json", O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        });
        const auto start = std::chrono::steady_clock::now();
        std::ostringstream out, errors;
        const int status = runStudyCommand(
            {"--case", "case.korvana.json", "--dry-run"}, fs::current_path(), {out, errors, false},
            [] { return true; }, fakePlot);
        const auto took = std::chrono::steady_clock::now() - start;
        ended = true;
        writer.join();
        EXPECT_EQ(status, 1);
        EXPECT_LT(took, std::chrono::seconds(5));
        EXPECT_EQ(errors.str().rfind("korvana-study: case.korvana.json: ", 0), 0u) << errors.str();
        EXPECT_NE(errors.str().find(row.reason), std::string::npos) << errors.str();
        EXPECT_EQ(out.str(), "");
    }
}

// The kept engine speeds are a cache: a directory in their place is named in
// a warning, and the study runs and keeps its results; the directory stays.
TEST(Study, ADirectoryInPlaceOfTheKeptSpeedsIsNamedAndTheStudyGoesOn) {
    ScopedWorkDir dir;
    fs::create_directory("engine_speed.json");
    const StudyRun run = study({"--pb", "0.35"});
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.errors.find("warning: the kept engine speeds cannot be used: "
                              "engine_speed.json: is a directory"),
              std::string::npos)
        << run.errors;
    EXPECT_NE(run.out.find("Expected wall time"), std::string::npos) << run.out;
    EXPECT_TRUE(statusIsOk(cell(readSummary("study/summary.csv").at(0), "status")));
    EXPECT_TRUE(fs::is_directory("engine_speed.json"));
}

TEST(Study, MergeRefusesPartsOfAnotherStudyAndARunningStudysFolder) {
    ScopedWorkDir dir;
    ASSERT_EQ(study({"--pb", "0,0.35", "--out", "p1", "--part", "1/2"}).status, 0);
    // The same count and folders, another fixed value.
    ASSERT_EQ(study({"--pb", "0,0.35", "--fsd", "90", "--out", "p2", "--part", "2/2"}).status, 0);
    const auto merge = [](std::vector<std::string> arguments) {
        std::ostringstream out, errors;
        try {
            return std::to_string(runStudy(
                parseStudyOptions(arguments), {}, {out, errors, false}, [] { return true; },
                fakePlot));
        } catch (const DataError& e) {
            return std::string(e.what());
        }
    };
    const std::string foreign = merge({"--merge", "p1", "p2", "--out", "m"});
    EXPECT_NE(foreign.find("p2 is a part of another study: --fsd differs"), std::string::npos)
        << foreign;
    EXPECT_FALSE(fs::exists("m/summary.csv"));

    fs::create_directories("busy");
    std::ofstream("busy/summary.csv") << "a running study's summary\n";
    const int lock = ::open("busy/.korvana-study.lock", O_RDWR | O_CREAT, 0644);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    const std::string locked = merge({"--merge", "p1", "--out", "busy"});
    ::close(lock);
    EXPECT_NE(locked.find("another korvana-study is running"), std::string::npos) << locked;
    EXPECT_EQ(readWhole("busy/summary.csv"), "a running study's summary\n");
}

}  // namespace
}  // namespace korvana::study
