#include "app/study/condition_run.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "app/common/text_value.h"
#include "app/results/constants.h"
#include "app/results/kerma_uncertainty.h"
#include "app/results/result_set.h"
#include "app/run/run_file.h"
#include "app/spectrum/generate_spectrum.h"
#include "app/spectrum/hvl_results.h"
#include "app/spectrum/spectrum_command.h"
#include "app/spectrum/spectrum_file.h"
#include "app/study/child_process.h"
#include "common/curtain_rule.h"
#include "common/data_error.h"
#include "common/energy_grid.h"
#include "common/engine_texts.h"
#include "common/file_names.h"
#include "common/grid_tables.h"
#include "common/output_files.h"
#include "common/points_file.h"
#include "common/scene_file.h"
#include "common/simulated_bins.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"

namespace korvana::study {

namespace fs = std::filesystem;

namespace {

//! The launch dialog's reason for refusing a result name, in the console's words.
const char* resultNameProblem(app::ResultNameFault fault) {
    switch (fault) {
        case app::ResultNameFault::None:
            return nullptr;
        case app::ResultNameFault::Empty:
            return "it is empty";
        case app::ResultNameFault::Directory:
            return "it names a directory";
        case app::ResultNameFault::PathSeparator:
            return "it holds a path separator";
        case app::ResultNameFault::ForbiddenCharacter:
            return "it holds a character file names cannot";
        case app::ResultNameFault::Hidden:
            return "it begins with \".\" (the result browser would not list it)";
        case app::ResultNameFault::TooLong:
            return "it is too long for a file name";
    }
    return "it cannot name a file";
}

std::string inputOf(const Condition& condition, StudyInput input) {
    return condition.inputs[static_cast<std::size_t>(input)];
}

app::RectificationMode rectificationOf(const std::string& mode) {
    return app::rectificationFromText(mode).value_or(app::RectificationMode::ConstantPotential);
}

// The launch dialog's curtain check, with its reasons in English.
std::string curtainProblem(const Condition& c) {
    const std::string pb = inputOf(c, StudyInput::Pb);
    const std::string length = inputOf(c, StudyInput::Length);
    const std::string fsd = inputOf(c, StudyInput::Fsd);
    const std::string thickness = inputOf(c, StudyInput::Thickness);
    switch (app::checkCurtain(pb, length, fsd, thickness)) {
        case app::CurtainCheck::EntryMissing:
            return "the curtain's lead equivalent or length is not entered - give --pb (0 for "
                   "no curtain) and --length";
        case app::CurtainCheck::LengthTooLong:
            return "the curtain length " + length +
                   " cm is not correct: it is longer than FSD - 20 cm + thickness = " +
                   app::plainNumber(
                       longestCurtainCm(app::textValue(fsd), app::textValue(thickness))) +
                   " cm - give a shorter --length";
        case app::CurtainCheck::Accepted:
            break;
    }
    return {};
}

void linkTables(const fs::path& folder, const std::string& dataDirectory) {
    for (const std::string& name : chainTableNames()) {
        const fs::path target = fs::absolute(fs::path(dataDirectory) / name);
        const fs::path link = folder / name;
        std::error_code ec;
        fs::remove(link, ec);
        fs::create_symlink(target, link, ec);
        if (ec) fs::copy_file(target, link, fs::copy_options::overwrite_existing);
    }
}

fs::path madeFromFileOf(const fs::path& folder) {
    return folder / (folder.filename().string() + MADE_FROM_SUFFIX);
}

void removeEarlierOutputs(const fs::path& folder) {
    const fs::path result = resultFileOf(folder);
    const std::string name = folder.filename().string();
    for (const fs::path& file :
         {madeFromFileOf(folder), result, fs::path(uncertaintyFileName(result.string())),
          fs::path(pointsFileName(result.string())), fs::path(sceneFileName(result.string())),
          folder / CONDITION_SCENE_FILE, folder / (name + ".log"), folder / SPECTRUM_FILE,
          folder / HVL_FILE, folder / RUN_FILE}) {
        std::error_code ignored;
        fs::remove(file, ignored);
    }
}

// B2F.txt of a condition, as the launch dialog writes it.
std::vector<std::string> runFileLinesOf(const Condition& c, const std::string& name) {
    const std::string field = inputOf(c, StudyInput::Field);
    const std::size_t cross = field.find('x');
    return app::formatRunFileLines({inputOf(c, StudyInput::Thickness), inputOf(c, StudyInput::Fsd),
                                    field.substr(0, cross), field.substr(cross + 1),
                                    inputOf(c, StudyInput::Pb), inputOf(c, StudyInput::Length),
                                    inputOf(c, StudyInput::Histories), name});
}

app::ConditionTexts spectrumTextsOf(const Condition& c) {
    return {inputOf(c, StudyInput::Kv), inputOf(c, StudyInput::Angle),
            inputOf(c, StudyInput::Inherent), inputOf(c, StudyInput::Al),
            inputOf(c, StudyInput::Cu)};
}

// B_SPCTL.dat of a condition, as step (4) writes it.
std::vector<std::string> spectrumLinesOf(const Condition& c, const app::MaterialTables& tables) {
    const app::ConditionReading reading = app::readIrradiationConditions(
        spectrumTextsOf(c), rectificationOf(inputOf(c, StudyInput::Mode)));
    return app::formatSpectrumLines(app::computeIncidentSpectrum(reading.conditions, tables),
                                    reading.conditions);
}

constexpr const char* MADE_FROM_HEADER = "korvana_made_from 1";

// The record's lines: the inputs' digests, the estimator and the room's
// digest (with a scene only), then the result's.
std::vector<std::string> madeFromLines(const std::string& runFileDigest,
                                       const std::string& spectrumDigest,
                                       const EngineSettings& engine,
                                       const std::optional<std::string>& sceneDigest,
                                       const std::string& resultFileDigest) {
    std::vector<std::string> lines = {MADE_FROM_HEADER, "run_file " + runFileDigest,
                                      "spectrum " + spectrumDigest,
                                      "estimator " + engine.estimator.value_or("")};
    if (sceneDigest) lines.push_back("scene " + *sceneDigest);
    lines.push_back("result " + resultFileDigest);
    return lines;
}

std::optional<std::string> sceneDigestOf(const std::optional<SceneDescription>& scene) {
    if (!scene) return std::nullopt;
    return resultDigest(sceneFileLines(*scene));
}

// Histories the engine runs before each bin (bins 1..301), for the progress:
// the engine's own counts (common/simulated_bins.h) from the spectrum file it
// reads and the history count of its run file.
std::vector<double> historiesBeforeBin(const GridTable& spectrumAsRead, float historyCount) {
    float sum = 0;  // accumulated upward in float, as the engine normalises
    for (int i = 1; i <= GRID_BINS; ++i) sum += spectrumAsRead[i];
    std::vector<double> before(GRID_BINS + 2, 0.0);
    for (int i = 1; i <= GRID_BINS; ++i) {
        const std::int64_t run = i >= FIRST_SIMULATED_BIN && sum > 0
                                     ? binHistoryCount(spectrumAsRead[i] / sum, historyCount)
                                     : 0;
        before[static_cast<std::size_t>(i) + 1] =
            before[static_cast<std::size_t>(i)] + static_cast<double>(run);
    }
    return before;
}

// The chain of one condition, step by step; each step returns false when the
// chain stops there, with the reason in the outcome.
class ConditionChain {
public:
    ConditionChain(const Condition& condition, const std::optional<SceneDescription>& scene,
                   const fs::path& folder, const StudyEnvironment& environment,
                   const std::function<bool()>& keepGoing, ConditionOutcome& outcome)
        : m_condition(condition),
          m_scene(scene),
          m_folder(folder),
          m_name(folder.filename().string()),
          m_log((folder / (m_name + ".log")).string()),
          m_environment(environment),
          m_keepGoing(keepGoing),
          m_outcome(outcome) {}

    //! The launch dialog's curtain check and result name.
    bool checkInputs() {
        if (const std::string problem = curtainProblem(m_condition); !problem.empty()) {
            return fail("curtain check: " + problem);
        }
        const std::string folder = m_folder.string();
        if (const char* problem = resultNameProblem(app::resultNameFault(m_name, folder))) {
            return fail("result name " + m_name + ": " + problem);
        }
        // The engine would simulate the whole condition and then lose it.
        if (const auto fault = checkOutputFiles(app::runOutputFiles(folder, m_name),
                                                SameKind::Replace, RESULT_OUTPUT_BYTES)) {
            return fail("result files: " + describeOutputFault(*fault));
        }
        return true;
    }

    //! The folder, without an earlier run's outputs, with the tables linked in.
    bool prepareFolder() {
        std::error_code ec;
        fs::create_directories(m_folder, ec);
        if (ec) return fail("cannot create the folder (" + ec.message() + ")");
        removeEarlierOutputs(m_folder);
        try {
            linkTables(m_folder, m_environment.dataDirectory);
        } catch (const fs::filesystem_error& e) {
            return fail(std::string("cannot put the data tables into the folder: ") + e.what());
        }
        return true;
    }

    //! Step (4) of the main form: B_SPCTL.dat, and the corrections made.
    bool writeSpectrum(const app::MaterialTables& material) {
        const app::ConditionTexts texts = spectrumTextsOf(m_condition);
        try {
            const app::SpectrumRun spectrum =
                app::generateSpectrum(texts, rectificationOf(input(StudyInput::Mode)), material,
                                      (m_folder / SPECTRUM_FILE).string());
            m_outcome.notes = app::correctionNotes(texts, spectrum.reading);
        } catch (const DataError& e) {
            return fail(std::string("spectrum refused: ") + e.what());
        }
        return true;
    }

    bool runHvl() {
        const ProgramOutcome hvl = runProgram(
            {m_environment.hvlProgram, {}, m_folder.string(), m_log}, [](std::string_view) {},
            m_keepGoing);
        return finished("tavisen", hvl);
    }

    //! The launch dialog's B2F.txt; the engine's history count as it will read it.
    bool writeRunFile() {
        const std::vector<std::string> lines = runFileLinesOf(m_condition, m_name);
        try {
            writeTextFileAtomically((m_folder / RUN_FILE).string(), lines);
        } catch (const DataError& e) {
            return fail(e.what());
        }
        m_historyCount = std::strtof(lines.at(HISTORY_COUNT_LINE).c_str(), nullptr);
        return true;
    }

    //! The condition's room, for the engine's --scene.
    bool writeScene() {
        if (!m_scene) return true;
        try {
            writeSceneFile((m_folder / CONDITION_SCENE_FILE).string(), *m_scene);
        } catch (const DataError& e) {
            return fail(e.what());
        }
        return true;
    }

    //! lumetrel, its progress lines turned into the share of histories done.
    bool runEngine(const EngineSettings& engine, const EngineProgress& progress) {
        const std::vector<std::string> arguments = engineArguments(engine, m_scene);
        std::vector<double> before;
        try {
            before = historiesBeforeBin(
                loadSpectrum((m_folder / SPECTRUM_FILE).string(), DescriptorLines::Ignore).spectrum,
                m_historyCount);
        } catch (const DataError& e) {
            return fail(std::string("spectrum file not readable: ") + e.what());
        }
        const double total = before.back();
        const auto onLine = [&](std::string_view line) {
            const std::optional<int> bin = engineProgressBin(line);
            if (!bin || *bin < 1 || *bin > GRID_BINS || total <= 0) return;
            progress(before[static_cast<std::size_t>(*bin)] / total,
                     before[static_cast<std::size_t>(*bin)]);
        };
        const ProgramOutcome run =
            runProgram({m_environment.engineProgram, arguments, m_folder.string(), m_log}, onLine,
                       m_keepGoing);
        if (!finished("lumetrel", run)) return false;
        progress(1.0, total);
        return true;
    }

private:
    //! Line 7 of the run file (0-based 6): the number of histories.
    static constexpr std::size_t HISTORY_COUNT_LINE = 6;

    std::string input(StudyInput which) const { return inputOf(m_condition, which); }

    bool fail(const std::string& reason) {
        m_outcome.failure = reason;
        return false;
    }

    bool finished(const char* program, const ProgramOutcome& run) {
        if (run.stopped) {
            m_outcome.interrupted = true;
            return false;
        }
        if (!succeeded(run)) return fail(describeFailure(program, run));
        return true;
    }

    const Condition& m_condition;
    const std::optional<SceneDescription>& m_scene;
    const fs::path m_folder;
    const std::string m_name;
    const std::string m_log;
    const StudyEnvironment& m_environment;
    const std::function<bool()>& m_keepGoing;
    ConditionOutcome& m_outcome;
    float m_historyCount = 0;  //!< as the engine reads it from the run file
};

}  // namespace

std::vector<std::string> engineArguments(const EngineSettings& engine,
                                         const std::optional<SceneDescription>& scene) {
    std::vector<std::string> arguments;
    if (engine.threads)
        arguments.insert(arguments.end(), {"--threads", std::to_string(*engine.threads)});
    if (engine.estimator) arguments.insert(arguments.end(), {"--estimator", *engine.estimator});
    if (scene) arguments.insert(arguments.end(), {"--scene", CONDITION_SCENE_FILE});
    return arguments;
}

const std::vector<std::string>& chainTableNames() {
    static const std::vector<std::string> names = {
        TISSUE_TABLE_FILE,   AIR_TABLE_FILE,    LEAD_TABLE_FILE,           ALUMINIUM_TABLE_FILE,
        TUNGSTEN_TABLE_FILE, COPPER_TABLE_FILE, app::CONVERSION_TABLE_FILE};
    return names;
}

void removeChainFiles(const fs::path& folder) {
    removeEarlierOutputs(folder);
    for (const std::string& name : chainTableNames()) {
        std::error_code ignored;
        fs::remove(folder / name, ignored);
    }
}

fs::path resultFileOf(const fs::path& folder) {
    return folder / (folder.filename().string() + app::RESULT_FILE_EXTENSION);
}

ConditionResult readConditionResult(const fs::path& folder, const StudyTables& tables,
                                    const StudyWorkload& workload,
                                    const std::optional<SceneDescription>& scene) {
    const std::string resultFile = resultFileOf(folder).string();
    app::ResultSet set = app::readResultSet(resultFile);
    app::attachUncertainties(set);
    const std::optional<UncertaintyTable>& uncertainties = set.uncertainties;
    const auto hvl = app::readHvlResults((folder / HVL_FILE).string());
    if (!hvl) {
        throw DataError(SourcePosition{(folder / HVL_FILE).string(), 0, 0},
                        "is missing or does not hold five numbers (tavisen did not finish) - run "
                        "the condition again with --force");
    }
    const app::EyeLensDose bare = app::computeEyeLensDose(set, tables.eyeLens, 0.0, 0.0);
    const app::EyeLensDose glasses =
        app::computeEyeLensDose(set, tables.eyeLens, app::REPORT_GLASSES_MM_PB, 0.0);

    ConditionResult result;
    result.firstHvlMmAl = hvl->firstHvlMm;
    result.effectiveEnergyKev = hvl->firstEffectiveEnergyKev;
    for (int k = 1; k <= POINT_COUNT; ++k) {
        result.kerma[k - 1] = set.pointKermaRatio[k];
        if (uncertainties) {
            const KermaUncertainty& point = uncertainties->points[k - 1];
            result.kermaRelErr[k - 1] = point.relStdError;
            if (uncertainties->hasQualityChecks) result.kermaUnstable[k - 1] = point.unstable;
        }
    }
    for (int k = app::FIRST_SHOWN_ANGLE; k <= app::LAST_SHOWN_ANGLE; ++k) {
        const std::size_t j = static_cast<std::size_t>(k - app::FIRST_SHOWN_ANGLE);
        result.eyeLens[j] = bare.eyeLensDose[k];
        result.eyeLensGlasses[j] = glasses.eyeLensDose[k];
        // The kerma's relative error is the dose's (eye_lens_dose.h says why).
        const std::optional<double> kermaError =
            result.kermaRelErr[static_cast<std::size_t>(k - 1)];
        if (bare.eyeLensDose[k]) result.eyeLensRelErr[j] = kermaError;
        if (glasses.eyeLensDose[k]) result.eyeLensGlassesRelErr[j] = kermaError;
    }
    if (workload.workload) {
        result.annual = app::computeAnnualEyeLensDose(set, tables.eyeLens, *workload.workload,
                                                      app::REPORT_GLASSES_MM_PB, 0.0, workload.eye)
                            .points;
    }
    if (const std::optional<EyePointTable> points = readPointsBeside(resultFile)) {
        result.eyePoints = points->points;
    }
    // The eye points of the room the condition was run in, no more, no fewer.
    std::vector<std::string> expected, found;
    if (scene) {
        for (const SceneEyePoint& p : scene->eyePoints) expected.push_back(p.name);
    }
    for (const EyePointResult& p : result.eyePoints) found.push_back(p.name);
    if (found != expected) {
        throw DataError(
            SourcePosition{pointsFileName(resultFile), 0, 0},
            std::string(expected.empty() ? "holds eye points the study's room has not"
                        : found.empty()  ? "is missing (the engine scored no eye point)"
                                         : "holds other eye points than the study's room") +
                " - run the condition again with --force");
    }
    return result;
}

std::string resultNotOwnReason(const Condition& condition, const fs::path& folder,
                               const StudyTables& tables, const EngineSettings& engine,
                               const std::optional<SceneDescription>& scene) {
    const fs::path record = madeFromFileOf(folder);
    if (!fs::exists(record)) {
        return "no record of what its result was made from (" + record.filename().string() + ")";
    }
    try {
        const std::vector<std::string> recorded =
            readTextFile(record.string(), FileKind::StudyIdentity).lines;
        const std::string name = folder.filename().string();
        const std::string resultDigestNow =
            resultDigest(readTextFile(resultFileOf(folder).string(), FileKind::Result).lines);
        const std::vector<std::string> expected =
            madeFromLines(resultDigest(runFileLinesOf(condition, name)),
                          resultDigest(spectrumLinesOf(condition, tables.material)), engine,
                          sceneDigestOf(scene), resultDigestNow);
        if (recorded.size() != expected.size() || recorded[0] != expected[0]) {
            return record.filename().string() + " is damaged" +
                   (recorded.size() != expected.size() ? " or of a run with another room" : "");
        }
        for (std::size_t n = 1; n < expected.size(); ++n) {
            if (recorded[n] == expected[n]) continue;
            const std::string key = expected[n].substr(0, expected[n].find(' '));
            if (key == "result") return "the result file is not the one its run wrote";
            const char* what = key == "run_file"    ? "the run file"
                               : key == "spectrum"  ? "the spectrum"
                               : key == "estimator" ? "the estimator"
                                                    : "the room";
            return std::string(what) + " differs from the one recorded";
        }
    } catch (const DataError& e) {
        return e.what();
    }
    return {};
}

ConditionOutcome runCondition(const Condition& condition, const fs::path& folder,
                              const StudyEnvironment& environment, const EngineSettings& engine,
                              const StudyTables& tables, const EngineProgress& progress,
                              const std::function<bool()>& keepGoing, const StudyWorkload& workload,
                              const std::optional<SceneDescription>& scene) {
    ConditionOutcome outcome;
    ConditionChain chain(condition, scene, folder, environment, keepGoing, outcome);
    if (!chain.checkInputs() || !chain.prepareFolder() || !chain.writeSpectrum(tables.material) ||
        !chain.runHvl() || !chain.writeRunFile() || !chain.writeScene() ||
        !chain.runEngine(engine, progress)) {
        return outcome;
    }
    try {
        outcome.result = readConditionResult(folder, tables, workload, scene);
        // What the result was made from, as the files the engine read say it.
        writeTextFileAtomically(
            madeFromFileOf(folder).string(),
            madeFromLines(
                resultDigest(readTextFile((folder / RUN_FILE).string(), FileKind::RunFile).lines),
                resultDigest(
                    readTextFile((folder / SPECTRUM_FILE).string(), FileKind::Spectrum).lines),
                engine,
                scene ? std::optional<std::string>(resultDigest(sceneFileLines(
                            readSceneFile((folder / CONDITION_SCENE_FILE).string()))))
                      : std::nullopt,
                resultDigest(readTextFile(resultFileOf(folder).string(), FileKind::Result).lines)));
    } catch (const DataError& e) {
        outcome.result.reset();
        outcome.failure = std::string("result not usable: ") + e.what();
    }
    return outcome;
}

}  // namespace korvana::study
