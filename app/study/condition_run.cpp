#include "app/study/condition_run.h"

#include <cmath>
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

void removeEarlierOutputs(const fs::path& folder) {
    const fs::path result = resultFileOf(folder);
    const std::string name = folder.filename().string();
    for (const fs::path& file :
         {result, fs::path(uncertaintyFileName(result.string())), folder / (name + ".log"),
          folder / SPECTRUM_FILE, folder / HVL_FILE, folder / RUN_FILE}) {
        std::error_code ignored;
        fs::remove(file, ignored);
    }
}

// Histories the engine runs per bin: the normalised spectrum times the count,
// truncated, from bin 10 on; the shares before each bin, for the progress.
std::vector<double> historiesBeforeBin(const app::GeneratedSpectrum& spectrum, double histories) {
    double sum = 0;
    for (int i = 1; i <= GRID_BINS; ++i) sum += spectrum.incidentSpectrum[i];
    std::vector<double> before(GRID_BINS + 2, 0.0);
    for (int i = 1; i <= GRID_BINS; ++i) {
        const double run = i >= FIRST_SIMULATED_BIN && sum > 0
                               ? std::floor(spectrum.incidentSpectrum[i] / sum * histories)
                               : 0.0;
        before[i + 1] = before[i] + run;
    }
    return before;
}

}  // namespace

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
                                    const StudyWorkload& workload) {
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
    return result;
}

ConditionOutcome runCondition(const Condition& condition, const fs::path& folder,
                              const StudyEnvironment& environment, const EngineSettings& engine,
                              const StudyTables& tables, const EngineProgress& progress,
                              const std::function<bool()>& keepGoing,
                              const StudyWorkload& workload) {
    ConditionOutcome outcome;
    const std::string name = folder.filename().string();
    if (const std::string problem = curtainProblem(condition); !problem.empty()) {
        outcome.failure = "curtain check: " + problem;
        return outcome;
    }
    if (const char* problem = resultNameProblem(app::resultNameFault(name))) {
        outcome.failure = "result name " + name + ": " + problem;
        return outcome;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        outcome.failure = "cannot create the folder (" + ec.message() + ")";
        return outcome;
    }
    removeEarlierOutputs(folder);
    try {
        linkTables(folder, environment.dataDirectory);
    } catch (const fs::filesystem_error& e) {
        outcome.failure = std::string("cannot put the data tables into the folder: ") + e.what();
        return outcome;
    }

    const app::ConditionTexts texts{
        inputOf(condition, StudyInput::Kv), inputOf(condition, StudyInput::Angle),
        inputOf(condition, StudyInput::Inherent), inputOf(condition, StudyInput::Al),
        inputOf(condition, StudyInput::Cu)};
    app::SpectrumRun spectrum;
    try {
        spectrum =
            app::generateSpectrum(texts, rectificationOf(inputOf(condition, StudyInput::Mode)),
                                  tables.material, (folder / SPECTRUM_FILE).string());
    } catch (const DataError& e) {
        outcome.failure = std::string("spectrum refused: ") + e.what();
        return outcome;
    }
    outcome.notes = app::correctionNotes(texts, spectrum.reading);

    const std::string log = (folder / (name + ".log")).string();
    const auto ignoreLine = [](std::string_view) {};
    const ProgramOutcome hvl =
        runProgram({environment.hvlProgram, {}, folder.string(), log}, ignoreLine, keepGoing);
    if (hvl.stopped) {
        outcome.interrupted = true;
        return outcome;
    }
    if (!succeeded(hvl)) {
        outcome.failure = describeFailure("tavisen", hvl);
        return outcome;
    }

    const std::string field = inputOf(condition, StudyInput::Field);
    const std::size_t cross = field.find('x');
    const app::RunFileTexts runTexts{inputOf(condition, StudyInput::Thickness),
                                     inputOf(condition, StudyInput::Fsd),
                                     field.substr(0, cross),
                                     field.substr(cross + 1),
                                     inputOf(condition, StudyInput::Pb),
                                     inputOf(condition, StudyInput::Length),
                                     inputOf(condition, StudyInput::Histories),
                                     name};
    try {
        writeTextFileAtomically((folder / RUN_FILE).string(), app::formatRunFileLines(runTexts));
    } catch (const DataError& e) {
        outcome.failure = e.what();
        return outcome;
    }

    std::vector<std::string> arguments;
    if (engine.threads)
        arguments.insert(arguments.end(), {"--threads", std::to_string(*engine.threads)});
    if (engine.estimator) arguments.insert(arguments.end(), {"--estimator", *engine.estimator});
    const double histories = app::textValue(inputOf(condition, StudyInput::Histories));
    const std::vector<double> before = historiesBeforeBin(spectrum.spectrum, histories);
    const double total = before.back();
    const auto onLine = [&](std::string_view line) {
        const std::optional<int> progressBin = engineProgressBin(line);
        if (!progressBin) return;
        const int bin = *progressBin;
        if (bin < 1 || bin > GRID_BINS || total <= 0) return;
        progress(before[static_cast<std::size_t>(bin)] / total,
                 before[static_cast<std::size_t>(bin)]);
    };
    const ProgramOutcome run =
        runProgram({environment.engineProgram, arguments, folder.string(), log}, onLine, keepGoing);
    if (run.stopped) {
        outcome.interrupted = true;
        return outcome;
    }
    if (!succeeded(run)) {
        outcome.failure = describeFailure("lumetrel", run);
        return outcome;
    }
    progress(1.0, total);
    try {
        outcome.result = readConditionResult(folder, tables, workload);
    } catch (const DataError& e) {
        outcome.failure = std::string("result not usable: ") + e.what();
    }
    return outcome;
}

}  // namespace korvana::study
