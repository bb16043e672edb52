#include "engine/driver/driver.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "common/data_error.h"
#include "common/engine_texts.h"
#include "common/file_names.h"
#include "common/output_files.h"
#include "common/points_file.h"
#include "common/record_format.h"
#include "common/record_writer.h"
#include "common/scene_file.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"
#include "engine/run/engine_run.h"

namespace korvana::engine {

namespace {

//! The run file's line that names the result.
constexpr int RESULT_NAME_LINE = 8;

void showBanner(Console& console) {
    static constexpr std::string_view LINES[] = {"",
                                                 "",
                                                 ENGINE_BANNER_TITLE,
                                                 "",
                                                 "   Calculation of side scattered radiation",
                                                 "          of the irradiated object",
                                                 "            with the Pb curtain",
                                                 "               2024 version",
                                                 "",
                                                 "  ---  Push Enter key to calculation start ---"};
    for (const std::string_view line : LINES) console.writeLine(line);
}

//! Why the run's files cannot be written under the result name `name`
//! (output_files.h): their kinds, their lengths and the directory's; empty
//! when they can. The name leaves room for every file a run may write beside
//! it, whatever this run writes, as the launch dialog's names do
//! (longestResultStem).
std::string resultNameProblem(const std::string& name, ResultCompanions companions) {
    std::string problem = fileNameProblem(name);
    if (problem.empty()) problem = resultNameClash(name);
    if (problem.empty()) {
        auto fault = checkOutputFiles(resultOutputFiles(name, companions), SameKind::Replace,
                                      RESULT_OUTPUT_BYTES);
        const bool ofItsKind = fault && (fault->problem == OutputProblem::OtherKind ||
                                         fault->problem == OutputProblem::Exists);
        if (!ofItsKind) {
            if (auto names = checkOutputNames(resultOutputFiles(name, {true, true}))) {
                fault = std::move(names);
            }
        }
        if (fault) {
            problem = describeOutputFault(*fault);
            // Worded for the name the user gives, not for the file beside it.
            const std::size_t file = std::filesystem::path(fault->path).filename().string().size();
            if (fault->problem == OutputProblem::NameTooLong && file >= name.size() &&
                fault->longestBytes >= file - name.size()) {
                problem = "\"" + name +
                          "\" is too long for this directory (a result name may have at most " +
                          std::to_string(fault->longestBytes - (file - name.size())) +
                          " bytes here, so that " + fileKindName(fault->kind) +
                          " beside it and its temporary name fit) - choose a shorter name";
            }
        }
    }
    return problem;
}

//! Asks on the console for a result file name until one is usable. Returns an
//! empty name only when the console has no more input.
std::string askForFileName(Console& console, ResultCompanions companions) {
    for (;;) {
        console.writeLine("UNIT 1? ");
        const std::optional<std::string> typed = console.readLine();
        if (!typed) return {};
        const std::string name = trimTrailingBlanks(*typed);
        const std::string problem = resultNameProblem(name, companions);
        if (problem.empty()) return name;
        console.writeLine("File name cannot be used (" + problem + ") - please enter file name");
    }
}

//! What a run saves: the result file's lines and those of the files beside it.
struct RunFiles {
    const std::vector<std::string>& result;
    const std::vector<std::string>& uncertainties;
    const std::vector<std::string>& eyePoints;      //!< none: the scene has no eye points
    std::optional<std::vector<std::string>> scene;  //!< the scene given with --scene
    ResultCompanions companions() const { return {scene.has_value(), !eyePoints.empty()}; }
};

//! Removes what an earlier run of the name left beside its result and this
//! run does not write: its eye points and its room, which belong to that run
//! only (a viewer would otherwise draw the earlier room around the new
//! result). The room's removal is said on the console: NAME.scene.json is a
//! result's record, and a scene kept under that name is gone.
void removeLeftCompanions(Console& console, const std::string& name, const RunFiles& files) {
    std::error_code ignored;
    const std::string points = pointsFileName(name);
    if (files.eyePoints.empty() && kindOfFile(points) == FileKind::Points) {
        std::filesystem::remove(points, ignored);
    }
    const std::string scene = sceneFileName(name);
    if (!files.scene && kindOfFile(scene) == FileKind::Scene &&
        std::filesystem::remove(scene, ignored)) {
        console.writeLine("Removed " + scene + ", the room of an earlier result of this name.");
    }
}

//! Writes the result file and the files beside it (the uncertainty file, and
//! the eye points' and the scene file when the run has them), all or none; a
//! name that is blank or cannot be written is asked for again on the
//! console, so a finished run is not thrown away. When only the uncertainty
//! or the eye points' file cannot be written, the result is saved alone (with
//! its scene, which says what room it was made for) and such files left from
//! an earlier run of that name are removed (their digest would part them from
//! the new result anyway). When the console ends after a write failed, the
//! last line names the failure's reason.
bool saveResults(Console& console, std::string name, const RunFiles& files) {
    const ResultCompanions companions = files.companions();
    if (name.empty()) {
        console.writeLine("File name missing or blank - please enter file name");
        name = askForFileName(console, companions);
    }
    std::string lastFailure;
    while (!name.empty()) {
        // The scene as writeSceneFile writes it, with the others in one go.
        std::vector<TextFileContent> essential = {{name, files.result}};
        if (files.scene) essential.push_back({sceneFileName(name), *files.scene});
        std::vector<TextFileContent> all = essential;
        all.push_back({uncertaintyFileName(name), files.uncertainties});
        if (companions.eyePoints) all.push_back({pointsFileName(name), files.eyePoints});
        try {
            writeTextFilesTogether(all);
            removeLeftCompanions(console, name, files);
            return true;
        } catch (const DataError& together) {
            try {
                if (files.scene) {
                    writeTextFilesTogether(essential);
                } else {
                    writeTextFileAtomically(name, files.result);
                }
            } catch (const DataError& e) {
                lastFailure = e.what();
                console.writeLine(std::string("Result file ") + e.what());
                console.writeLine("Please enter another file name");
                name = askForFileName(console, companions);
                continue;
            }
            std::error_code ignored;
            std::filesystem::remove(uncertaintyFileName(name), ignored);
            removeLeftCompanions(console, name,
                                 RunFiles{files.result, files.uncertainties, {}, files.scene});
            const bool pointsFailed = together.where().fileName == pointsFileName(name);
            console.writeLine(std::string(pointsFailed ? "Eye points file " : "Uncertainty file ") +
                              together.what());
            console.writeLine(" The result was saved without its statistical errors.");
            if (companions.eyePoints) {
                console.writeLine(" The eye points' results were not saved.");
            }
            return true;
        }
    }
    if (!lastFailure.empty()) {
        console.writeLine(std::string(ENGINE_NOT_WRITTEN_PREFIX) + lastFailure);
    } else {
        console.writeLine(ENGINE_NOT_SAVED_LINE);
    }
    return false;
}

//! Names the tallies whose error estimate is not to be trusted; empty when none.
std::string unstableTalliesLine(const UncertaintyTable& table, const EyePointTable& eyes) {
    std::string points;
    for (int j = 0; j < POINT_COUNT; ++j) {
        if (!table.points[static_cast<std::size_t>(j)].unstable) continue;
        points += (points.empty() ? "" : ", ") +
                  std::to_string(FIRST_POINT_ANGLE_DEG + POINT_ANGLE_STEP_DEG * j);
    }
    int cells = 0;
    for (const auto& column : table.grid) {
        for (const KermaUncertainty& cell : column) cells += cell.unstable ? 1 : 0;
    }
    std::string eyePoints;
    for (const EyePointResult& eye : eyes.points) {
        if (eye.unstable) eyePoints += (eyePoints.empty() ? "" : ", ") + eye.name;
    }
    if (points.empty() && cells == 0 && eyePoints.empty()) return {};
    std::string line = " Unstable tallies (VOV >= 0.1 or one history above 10 %): ";
    if (!points.empty()) line += "points " + points + " deg";
    if (cells > 0) {
        line += (points.empty() ? "" : "; ") + std::to_string(cells) + " of " +
                std::to_string(GRID_COLUMNS * GRID_ROWS) + " grid cells";
    }
    if (!eyePoints.empty()) {
        line += (points.empty() && cells == 0 ? "" : "; ") + std::string("eye points ") + eyePoints;
    }
    return line;
}

}  // namespace

std::string clockLine(const char* caption, const ClockTime& time) {
    const RecordFormat format(std::string("(' ',' ") + caption + " =',I2,':',I2,':',I2)");
    // The first blank of the record is carriage control and is not shown.
    return RecordWriter(format)
        .integer(time.hour)
        .integer(time.minute)
        .integer(time.second)
        .line()
        .substr(1);
}

int runEngine(Console& console, const Clock& clock, const EngineOptions& options,
              BlockExchange* exchange) {
    // Large tables: kept off the stack.
    auto inputs = std::make_unique<EngineInputs>();
    loadEngineInputs(*inputs, options.sceneFile);
    const EngineInputs& in = *inputs;
    requireEstimatorScoresScene(in, options.estimator, options.sceneFile);
    const bool talks = !exchange || exchange->rank() == 0;
    const ResultCompanions companions{!options.sceneFile.empty(), !in.scene.eyePoints.empty()};
    // A result that could not be saved would throw the whole run away: its
    // files are checked before the banner, as the inputs are.
    if (talks && !in.run.resultFileName.empty()) {
        if (const std::string problem = resultNameProblem(in.run.resultFileName, companions);
            !problem.empty()) {
            throw DataError(SourcePosition{RUN_FILE, RESULT_NAME_LINE, 1},
                            "result file name cannot be used: " + problem);
        }
    }

    if (talks) {
        showBanner(console);
        console.waitForEnter();
    }
    if (exchange) exchange->waitForProcessZero();

    ClockTime startClock{};
    if (talks) {
        console.writeLine(ENGINE_START_LINE);
        startClock = clock.now();
        console.writeLine(clockLine("Start time", startClock));
    }

    FixedTotalSettings settings;
    settings.parallel.estimator = options.estimator;
    settings.onBin = [&](int bin) {
        console.writeLine(engineProgressLine(bin, in.spectrum.topBin + 1));
    };
    if (options.parallel) {
        settings.mode = StreamMode::Blocks;
        settings.parallel.threads = options.threads > 0 ? options.threads : availableCores();
        settings.parallel.seed = options.seed;
        settings.parallel.exchange = exchange;
        settings.onTick = [&](const ParallelProgress& p) {
            console.writeLine(engineTimeLeftLine(p.historiesDone, p.historiesTotal, p.seconds));
        };
        if (talks) {
            console.writeLine(engineModeLine(settings.parallel.threads,
                                             exchange ? exchange->rankCount() : 1, options.seed,
                                             estimatorName(options.estimator)));
        }
    } else if (options.estimator == Estimator::NextEvent) {
        console.writeLine(ENGINE_NEXT_EVENT_LINE);
    }
    const auto started = std::chrono::steady_clock::now();
    const RunSnapshot results = runFixedTotal(in, settings);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!talks) return 0;

    console.writeLine("");
    console.writeLine(clockLine("Start time", startClock));
    if (options.parallel) console.writeLine(engineSpeedLine(results.histories, seconds));
    console.writeLine("");

    RunFiles files{results.resultLines, results.uncertaintyLines, results.pointsLines, {}};
    if (companions.scene) files.scene = sceneFileLines(in.scene);
    const bool saved = saveResults(console, in.run.resultFileName, files);
    if (const std::string unstable = unstableTalliesLine(results.uncertainties, results.eyePoints);
        !unstable.empty()) {
        console.writeLine(unstable);
    }

    console.writeLine(clockLine("Finish time", clock.now()));
    console.writeLine("");
    if (saved) {
        console.writeLine(ENGINE_SAVED_LINE);
    }
    console.writeLine("  ---      Push Enter key      ---");
    console.waitForEnter();
    console.writeLine("Stop - Program terminated.");
    return saved ? 0 : 1;
}

}  // namespace korvana::engine
