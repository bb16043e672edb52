#include "app/study/study_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "app/common/text_value.h"
#include "app/run/case_file.h"
#include "app/run/run_file.h"
#include "app/spectrum/irradiation_conditions.h"
#include "app/study/value_list.h"
#include "common/csv.h"
#include "common/data_error.h"
#include "common/default_case.h"
#include "common/engine_texts.h"
#include "common/run_limits.h"
#include "common/uncertainty_file.h"
#include "common/version.h"

namespace korvana::study {

namespace {

const std::vector<std::string> MODE_WORDS = {"cp", "3phase", "1phase"};
const std::vector<std::string> ESTIMATORS = {std::string(ESTIMATOR_ANALOG),
                                             std::string(ESTIMATOR_NEXT_EVENT)};

// The one place that builds the parser, so --help shows what is parsed.
struct Parser {
    CLI::App app{
        "Runs the spectrum, the HVL calculator and the engine for one condition or a sweep of\n"
        "conditions, each in a folder of its own under --out, and tabulates the air kerma\n"
        "and eye lens doses with their relative errors in OUT/summary.csv (and, when one or\n"
        "two options are swept, a plot OUT/summary.svg). Every numeric option takes one\n"
        "value, a comma list (--pb 0,0.25,0.35,0.5) or a range start:stop:step\n"
        "(--kv 60:100:20); the conditions are all their combinations.",
        "korvana-study"};
    std::array<std::string, INPUT_COUNT> texts;
    int threads = 0;
    std::string estimator;
    std::string part;
    std::string kap, entranceKerma, procedures, eye;
    std::string caseFile;
    std::string sceneFile;
    StudyOptions options;

    Parser() {
        app.get_formatter()->column_width(26);
        app.set_version_flag("--version", versionLine("korvana-study"));
        for (std::size_t n = 0; n < INPUT_COUNT; ++n) {
            const InputDescription& d = inputDescriptions()[n];
            texts[n] = d.defaultText;
            CLI::Option* option = app.add_option(std::string("--") + d.option, texts[n], d.help);
            option->type_name("VALUES");
            if (*d.defaultText != '\0') option->capture_default_str();
        }
        app.add_option("--threads", threads,
                       "engine threads, passed to lumetrel --threads (0: all cores); "
                       "without it the engine runs as it does by default")
            ->type_name("N");
        app.add_option("--estimator", estimator,
                       "passed to lumetrel --estimator: analog or next-event; without it the "
                       "engine's default")
            ->type_name("NAME");
        app.add_option("--case", caseFile,
                       "a case file (korvana's ケースを保存…, or korvana-results --save-case): "
                       "its entries are the defaults of the options above, which the "
                       "command line overrides")
            ->type_name("FILE");
        app.add_option("--scene", sceneFile,
                       "a scene file (shields, table, eye points): every condition's run gets "
                       "that room, with --shield-lead, --shield-x, --shield-z and --eye-height "
                       "applied; its eye points add their air kerma columns (they need "
                       "--estimator next-event)")
            ->type_name("FILE");
        app.add_option("--out", options.outDir, "folder of the study")
            ->type_name("DIR")
            ->capture_default_str();
        app.add_flag("--dry-run", options.dryRun, "list the conditions and stop");
        app.add_flag("--force", options.force,
                     "run conditions again although their result and summary row exist");
        app.add_flag("--yes", options.yes, "allow more than 1000 conditions");
        app.add_option("--part", part,
                       "run only every N-th condition starting at the K-th (job arrays)")
            ->type_name("K/N");
        app.add_option("--kap", kap,
                       "kerma-area product per procedure [Gy cm2]: adds the annual eye lens "
                       "dose columns (divided by each condition's field area)")
            ->type_name("GYCM2");
        app.add_option("--entrance-kerma", entranceKerma,
                       "or the primary air kerma at the entrance surface per procedure [mGy]")
            ->type_name("MGY");
        app.add_option("--procedures", procedures,
                       "procedures per year, a whole number (with --kap or --entrance-kerma)")
            ->type_name("N");
        app.add_option("--eye", eye,
                       "the worker's eyes at X cm beside the beam axis, Z cm along it, within "
                       "the grid (X 50 to 150, Z -100 to 50): adds the annual_eye_position "
                       "columns")
            ->type_name("X,Z");
        app.add_option("--merge", options.mergeDirs,
                       "join the summaries of the parts in these folders into "
                       "OUT/summary.csv, in condition order, instead of running")
            ->type_name("DIR")
            ->expected(1, -1);
    }
};

StudyPart parsePart(const std::string& text) {
    StudyPart part;
    const std::size_t slash = text.find('/');
    const auto whole = [](std::string_view digits, int& value) {
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return !digits.empty() && error == std::errc() && end == digits.data() + digits.size();
    };
    if (slash == std::string::npos || !whole(std::string_view(text).substr(0, slash), part.k) ||
        !whole(std::string_view(text).substr(slash + 1), part.n) || part.n < 1 || part.k < 1 ||
        part.k > part.n) {
        throw DataError("--part " + quoteValue(text) +
                        " is not K/N with 1 <= K <= N (as in --part 2/8) - give the part's "
                        "number and the number of parts");
    }
    return part;
}

// The main form's corrections of the tube voltage and the inherent filtration,
// applied to a condition's texts and noted. Values the form refuses are left
// as given: the condition's spectrum refuses them with the form's reason.
void applyCorrections(Condition& c) {
    auto& kv = c.inputs[static_cast<std::size_t>(StudyInput::Kv)];
    auto& inherent = c.inputs[static_cast<std::size_t>(StudyInput::Inherent)];
    app::ConditionTexts texts;
    texts.tubeVoltageKv = kv;
    texts.targetAngleDeg = c.inputs[static_cast<std::size_t>(StudyInput::Angle)];
    texts.inherentFiltrationMm = inherent;
    texts.addedAluminiumMm = c.inputs[static_cast<std::size_t>(StudyInput::Al)];
    texts.addedCopperMm = c.inputs[static_cast<std::size_t>(StudyInput::Cu)];
    app::ConditionReading reading;
    try {
        reading = app::readIrradiationConditions(texts, app::RectificationMode::ConstantPotential);
    } catch (const DataError&) {
        return;
    }
    if (reading.correctedTubeVoltageText) {
        c.corrections.push_back("kv corrected " + kv + " -> " + *reading.correctedTubeVoltageText);
        kv = *reading.correctedTubeVoltageText;
    }
    if (reading.correctedInherentText) {
        c.corrections.push_back("inherent corrected " + inherent + " -> " +
                                *reading.correctedInherentText);
        inherent = *reading.correctedInherentText;
    }
}

// The option a run file value comes from.
const char* optionOf(RunField field) {
    switch (field) {
        case RunField::PhantomThickness:
            return "--thickness";
        case RunField::FocusSurfaceDistance:
            return "--fsd";
        case RunField::FieldSizeY:
        case RunField::FieldSizeX:
            return "--field";
        case RunField::CurtainLeadThickness:
            return "--pb";
        case RunField::CurtainLength:
            return "--length";
        case RunField::HistoryCount:
            return "--histories";
    }
    return "";
}

// Refuses, before anything runs, a condition whose run file the engine would
// refuse (the launch dialog's rule).
void refuseValuesTheEngineRefuses(const std::vector<Condition>& conditions) {
    for (const Condition& c : conditions) {
        const std::string& field = c.inputs[static_cast<std::size_t>(StudyInput::Field)];
        const std::size_t cross = field.find('x');
        const app::RunFileTexts texts{c.inputs[static_cast<std::size_t>(StudyInput::Thickness)],
                                      c.inputs[static_cast<std::size_t>(StudyInput::Fsd)],
                                      field.substr(0, cross),
                                      field.substr(cross + 1),
                                      c.inputs[static_cast<std::size_t>(StudyInput::Pb)],
                                      c.inputs[static_cast<std::size_t>(StudyInput::Length)],
                                      c.inputs[static_cast<std::size_t>(StudyInput::Histories)],
                                      "name"};
        const auto fault = app::runFileFault(texts);
        // A curtain longer than FSD - 20 cm + thickness is the launch check's
        // refusal of that one condition: it gets its failed row.
        if (!fault || (fault->range.highestIsCurtainRule && fault->value > fault->range.highest)) {
            continue;
        }
        throw DataError(std::string(optionOf(fault->field)) + ": " +
                        describeRunValueFault(*fault, LeadUnit::Millimetre) + " (condition " +
                        std::to_string(c.index) + ", " + c.folder + ") - give " +
                        optionOf(fault->field) + " values the engine accepts");
    }
}

// A P_KA that no procedure gives over a condition's field (the entrance kerma
// would be above its bound), refused before anything runs.
void refuseKermaAreaProductsNoFieldTakes(const std::vector<Condition>& conditions,
                                         const StudyWorkload& workload) {
    if (!workload.workload) return;
    for (const Condition& c : conditions) {
        const std::string& field = c.inputs[static_cast<std::size_t>(StudyInput::Field)];
        const std::size_t cross = field.find('x');
        app::RunConditions run;
        run.fieldSizeYCm = app::textValue(field.substr(0, cross));
        run.fieldSizeXCm = app::textValue(field.substr(cross + 1));
        if (const auto fault = app::checkWorkload(*workload.workload, run)) {
            throw DataError("--kap: " + app::describeWorkloadFault(*fault) + " (condition " +
                            std::to_string(c.index) + ", " + c.folder +
                            ") - give the P_KA of one procedure from the dose record");
        }
    }
}

// The scene's values an input takes unless given: its first shield's lead and
// centre, the z of its first eye point. Empty when there is nothing to move.
std::string sceneDefault(const SceneDescription& scene, StudyInput input) {
    const auto text = [](double value) { return csvNumber(value); };
    const bool shield = !scene.shields.empty();
    switch (input) {
        case StudyInput::ShieldLead:
            return shield ? text(scene.shields.front().leadMm) : std::string();
        case StudyInput::ShieldX:
            return shield ? text(scene.shields.front().centreCm[0]) : std::string();
        case StudyInput::ShieldZ:
            return shield ? text(scene.shields.front().centreCm[2]) : std::string();
        case StudyInput::EyeHeight:
            return scene.eyePoints.empty() ? std::string()
                                           : text(scene.eyePoints.front().positionCm[2]);
        default:
            return {};
    }
}

// The values of a scene input: refused without a scene or without the
// element it moves, the scene's own value unless given.
std::vector<std::string> sceneInputValues(const Parser& parser, StudyInput input,
                                          const std::optional<SceneDescription>& scene,
                                          const std::string& source) {
    const InputDescription& d = describe(input);
    const std::string option = std::string("--") + d.option;
    const bool given = parser.app.count(option) != 0;
    if (!scene) {
        if (given) {
            throw DataError(option +
                            " moves an element of the room - give --scene FILE (or a "
                            "case with a scene) with it");
        }
        return {""};
    }
    const std::string fallback = sceneDefault(*scene, input);
    if (fallback.empty()) {
        if (given) {
            const bool eye = input == StudyInput::EyeHeight;
            throw DataError(option + ": the scene " + source + " has no " +
                            (eye ? "eye point" : "shield") + " to move - add one to its \"" +
                            (eye ? "eye_points" : "shields") + "\", or leave out " + option);
        }
        return {""};
    }
    return expandNumberList(given ? parser.texts[static_cast<std::size_t>(input)] : fallback,
                            d.option);
}

// Refuses, before anything runs, a condition's room the engine would refuse,
// and eye points that the chosen estimator does not score.
void refuseScenesTheEngineRefuses(const StudyOptions& options,
                                  const std::vector<Condition>& conditions) {
    if (!options.scene) return;
    if (!options.scene->eyePoints.empty() &&
        options.estimator.value_or(std::string(ESTIMATOR_ANALOG)) != ESTIMATOR_NEXT_EVENT) {
        throw DataError("the scene " + options.sceneSource +
                        " has eye points, which only the next-event estimator scores (the " +
                        (options.estimator ? "analog estimator" : "engine's default, analog,") +
                        " scores the measuring points alone) - give --estimator next-event");
    }
    for (const Condition& c : conditions) {
        const SceneDescription scene = *conditionScene(options, c);
        std::vector<SceneFault> faults = sceneFaults(scene);
        if (faults.empty()) {
            const double thickness =
                app::textValue(c.inputs[static_cast<std::size_t>(StudyInput::Thickness)]);
            faults = sceneObjectFaults(scene, objectExtentFor(thickness));
        }
        if (faults.empty()) continue;
        throw DataError("the scene " + options.sceneSource + " in condition " +
                        std::to_string(c.index) + " (" + c.folder +
                        "): " + describeSceneFault(faults.front()) +
                        " (--shield-lead, --shield-x, --shield-z and --eye-height move it)");
    }
}

// The worker's year, refused with the input named when it makes no sense.
StudyWorkload parseWorkload(const Parser& parser) {
    const bool kap = parser.app.count("--kap") != 0;
    const bool entrance = parser.app.count("--entrance-kerma") != 0;
    const bool procedures = parser.app.count("--procedures") != 0;
    const bool eye = parser.app.count("--eye") != 0;
    StudyWorkload result;
    if (kap && entrance) throw DataError("give either --kap or --entrance-kerma, not both");
    if (!kap && !entrance) {
        if (procedures || eye) {
            throw DataError(std::string(procedures ? "--procedures" : "--eye") +
                            " needs the dose of a procedure - give --kap or --entrance-kerma");
        }
        return result;
    }
    const std::string& text = kap ? parser.kap : parser.entranceKerma;
    const std::optional<double> value = app::workloadValue(text);
    if (!value) {
        throw DataError(std::string(kap ? "--kap" : "--entrance-kerma") + " " + quoteValue(text) +
                        " is not a " +
                        (kap ? "kerma-area product in Gy cm2" : "entrance air kerma in mGy") +
                        " above 0 - give a decimal number, as in " +
                        (kap ? "--kap 50" : "--entrance-kerma 80"));
    }
    if (!procedures) {
        throw DataError("--procedures is missing - the annual dose needs the procedures per year");
    }
    const std::optional<long long> count = app::procedureCount(parser.procedures);
    if (!count) {
        throw DataError("--procedures \"" + parser.procedures +
                        "\" is not a number of procedures per year - give a whole number of 0 "
                        "or more, as in --procedures 500");
    }
    result.workload = app::Workload{
        kap ? app::WorkloadMeasure::KermaAreaProduct : app::WorkloadMeasure::EntranceKerma, *value,
        *count};
    if (const std::optional<app::WorkloadFault> fault = app::checkWorkload(*result.workload)) {
        throw DataError(std::string(fault->field == app::WorkloadField::Procedures ? "--procedures"
                                    : kap                                          ? "--kap"
                                          : "--entrance-kerma") +
                        ": " + app::describeWorkloadFault(*fault) +
                        " - give the values of one procedure and of one year from the dose "
                        "record");
    }
    if (eye) {
        result.eye = app::parseEyePosition(parser.eye);
        if (!result.eye) {
            throw DataError("--eye \"" + parser.eye +
                            "\" is not a position X,Z in cm - give two decimal numbers, as in "
                            "--eye 60,-30");
        }
        if (!app::isInsideGrid(*result.eye)) {
            throw DataError("--eye " + parser.eye +
                            " lies outside the distribution grid (X 50 to 150 cm, Z -100 to 50 "
                            "cm), where no kerma is known - give a position within it");
        }
    }
    return result;
}

}  // namespace

const std::array<InputDescription, INPUT_COUNT>& inputDescriptions() {
    static const std::string squareField =
        std::string(default_case::FIELD_LONG_CM) + "x" + default_case::FIELD_SHORT_CM;
    static const std::array<InputDescription, INPUT_COUNT> inputs = {{
        {"thickness", "thickness_cm", "cm", default_case::THICKNESS_CM,
         "thickness of the irradiated object [cm]"},
        {"fsd", "fsd_cm", "cm", default_case::FSD_CM, "focus-to-entrance-surface distance [cm]"},
        {"field", "field_cm", "cm", squareField.c_str(),
         "field size at FSD, long x short axis [cm]; one number is a square field"},
        {"kv", "kv", "kV", default_case::TUBE_VOLTAGE_KV,
         "tube voltage (peak) [kV]; 150 or more runs as 149.5, 30 or less as 30"},
        {"angle", "angle_deg", "degree", default_case::TARGET_ANGLE_DEG,
         "target angle [degree], more than 0 and less than 90"},
        {"inherent", "inherent_mm_al", "mm Al", default_case::INHERENT_FILTRATION_MM_AL,
         "inherent filtration [mm Al equivalent]; below 1 runs as 1"},
        {"al", "al_mm", "mm", default_case::ADDED_ALUMINIUM_MM, "added aluminium filter [mm]"},
        {"cu", "cu_mm", "mm", default_case::ADDED_COPPER_MM, "added copper filter [mm]"},
        {"mode", "mode", "", "cp",
         "rectification: cp constant potential, 3phase three-phase 12-peak, 1phase "
         "single-phase full-wave"},
        {"pb", "pb_mm", "mm Pb", "",
         "lead equivalent of the curtain [mm Pb], 0 for none; no default (the form's box is "
         "empty), so it must be given"},
        {"length", "length_cm", "cm", default_case::FORM_CURTAIN_LENGTH_CM,
         "curtain length L [cm], at most FSD - 20 cm + thickness"},
        {"histories", "histories", "", default_case::HISTORIES,
         "number of incident photons (histories) per condition"},
        {"shield-lead", "shield_lead_mm", "mm Pb", "",
         "lead equivalent of the scene's first shield [mm Pb] (with --scene; its own unless "
         "given)"},
        {"shield-x", "shield_x_cm", "cm", "",
         "x of the first shield's centre [cm], towards the worker (with --scene)"},
        {"shield-z", "shield_z_cm", "cm", "",
         "z of the first shield's centre [cm], along the beam (with --scene)"},
        {"eye-height", "eye_height_cm", "cm", "",
         "z of every eye point [cm], along the beam: with the tube over the couch -40 is 40 cm "
         "above the entrance surface (with --scene)"},
    }};
    return inputs;
}

const InputDescription& describe(StudyInput input) {
    return inputDescriptions()[static_cast<std::size_t>(input)];
}

std::string studyUsage() { return Parser().app.help(); }

//! Which options a case file gave.
struct CaseDefaults {
    std::array<bool, INPUT_COUNT> inputs{};
    bool threads = false;
    bool estimator = false;
    std::optional<SceneDescription> scene;
    std::string fileName;
};

//! The case file named by --case, if any, as the parser's defaults.
CaseDefaults applyCaseFile(const std::vector<std::string>& arguments, Parser& parser) {
    std::string fileName;
    for (std::size_t n = 0; n < arguments.size(); ++n) {
        if (arguments[n] == "--case" && n + 1 < arguments.size()) fileName = arguments[n + 1];
        if (arguments[n].rfind("--case=", 0) == 0) fileName = arguments[n].substr(7);
    }
    CaseDefaults given;
    if (fileName.empty()) return given;
    const app::CaseEntries entries = app::readCaseFile(fileName);
    given.scene = app::caseScene(entries);
    given.fileName = fileName;
    for (std::size_t n = 0; n < INPUT_COUNT; ++n) {
        if (const auto it = entries.find(inputDescriptions()[n].option); it != entries.end()) {
            parser.texts[n] = it->second;
            given.inputs[n] = true;
        }
    }
    if (const auto it = entries.find("threads"); it != entries.end()) {
        const double threads = strictNumber(it->second, "threads");
        if (threads != std::floor(threads) || threads < -1e9 || threads > 1e9) {
            throw DataError(
                SourcePosition{fileName, 0, 0},
                "key \"threads\": " + quoteValue(it->second) + " is not a whole number");
        }
        parser.threads = static_cast<int>(threads);
        given.threads = true;
    }
    if (const auto it = entries.find("estimator"); it != entries.end()) {
        parser.estimator = it->second;
        given.estimator = true;
    }
    return given;
}

StudyOptions parseStudyOptions(const std::vector<std::string>& arguments) {
    Parser parser;
    const CaseDefaults fromCase = applyCaseFile(arguments, parser);
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        parser.app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        parser.options.help = true;
        return parser.options;
    } catch (const CLI::CallForVersion&) {
        parser.options.version = true;
        return parser.options;
    } catch (const CLI::ParseError& e) {
        throw DataError(std::string(e.what()) + " - see korvana-study --help");
    }
    StudyOptions options = std::move(parser.options);
    if (parser.app.count("--scene") != 0) {
        options.scene = readSceneFile(parser.sceneFile);
        options.sceneSource = parser.sceneFile;
    } else if (fromCase.scene) {
        options.scene = fromCase.scene;
        options.sceneSource = "of the case " + fromCase.fileName;
    }
    for (std::size_t n = 0; n < INPUT_COUNT; ++n) {
        const InputDescription& d = inputDescriptions()[n];
        const std::string& text = parser.texts[n];
        const auto input = static_cast<StudyInput>(n);
        if (isSceneInput(input)) {
            options.values[n] = sceneInputValues(parser, input, options.scene, options.sceneSource);
        } else if (input == StudyInput::Pb && parser.app.count("--pb") == 0 &&
                   !fromCase.inputs[n]) {
            options.values[n] = {""};  // the form's empty box: the curtain check refuses it
        } else if (input == StudyInput::Field) {
            options.values[n] = expandFieldList(text, d.option);
        } else if (input == StudyInput::Mode) {
            // The numbers of korvana-spectrum --mode name the same rectifications.
            std::string words;
            for (std::size_t start = 0, comma = 0; comma != std::string::npos; start = comma + 1) {
                comma = text.find(',', start);
                const std::string item = text.substr(start, comma - start);
                const auto mode = app::rectificationFromText(item);
                words += (start == 0 ? "" : ",") + (mode ? app::rectificationWord(*mode) : item);
            }
            options.values[n] = expandWordList(words, d.option, MODE_WORDS);
        } else {
            options.values[n] = expandNumberList(text, d.option);
        }
    }
    for (const std::string& histories :
         options.values[static_cast<std::size_t>(StudyInput::Histories)]) {
        if (!(strictNumber(histories, "histories") >= 1.0)) {
            throw DataError("--histories " + histories +
                            " runs no photon - give 1 or more histories per condition");
        }
    }
    if (parser.app.count("--threads") != 0 || fromCase.threads) {
        if (parser.threads < 0) {
            throw DataError("--threads " + std::to_string(parser.threads) +
                            " is negative - give 0 (all cores) or a number of threads");
        }
        options.threads = parser.threads;
    }
    if (parser.app.count("--estimator") != 0 || fromCase.estimator) {
        if (parser.estimator.find(',') != std::string::npos) {
            throw DataError("--estimator takes one value - give analog or next-event");
        }
        options.estimator = expandWordList(parser.estimator, "estimator", ESTIMATORS).front();
    }
    if (parser.app.count("--part") != 0) options.part = parsePart(parser.part);
    options.workload = parseWorkload(parser);
    if (options.outDir.empty()) {
        throw DataError("--out is empty - give the study's folder");
    }
    if (!options.mergeDirs.empty()) return options;

    const std::optional<std::size_t> count = conditionCount(options);
    if (!count) {
        throw DataError("the options make more than " + std::to_string(MAX_CONDITIONS) +
                        " conditions, more than a study can run - narrow the lists and ranges "
                        "or split the study");
    }
    if (*count > CONDITIONS_WITHOUT_YES && !options.yes) {
        throw DataError("the options make " + std::to_string(*count) + " conditions, more than " +
                        std::to_string(CONDITIONS_WITHOUT_YES) +
                        " - check the lists and ranges, or add --yes to run them all");
    }
    const std::vector<Condition> conditions = studyConditions(options);
    refuseValuesTheEngineRefuses(conditions);
    refuseKermaAreaProductsNoFieldTakes(conditions, options.workload);
    refuseScenesTheEngineRefuses(options, conditions);
    return options;
}

bool studyHasInput(const StudyOptions& options, StudyInput input) {
    return !isSceneInput(input) || options.scene.has_value();
}

std::optional<SceneDescription> conditionScene(const StudyOptions& options,
                                               const Condition& condition) {
    if (!options.scene) return std::nullopt;
    SceneDescription scene = *options.scene;
    const auto value = [&condition](StudyInput input) -> std::optional<double> {
        const std::string& text = condition.inputs[static_cast<std::size_t>(input)];
        if (text.empty()) return std::nullopt;
        return app::textValue(text);
    };
    if (!scene.shields.empty()) {
        SceneShield& shield = scene.shields.front();
        shield.leadMm = value(StudyInput::ShieldLead).value_or(shield.leadMm);
        shield.centreCm[0] = value(StudyInput::ShieldX).value_or(shield.centreCm[0]);
        shield.centreCm[2] = value(StudyInput::ShieldZ).value_or(shield.centreCm[2]);
    }
    if (const std::optional<double> z = value(StudyInput::EyeHeight)) {
        for (SceneEyePoint& point : scene.eyePoints) point.positionCm[2] = *z;
    }
    return scene;
}

std::optional<std::size_t> conditionCount(const StudyOptions& options) {
    std::size_t count = 1;
    for (const auto& values : options.values) {
        if (__builtin_mul_overflow(count, values.size(), &count) || count > MAX_CONDITIONS) {
            return std::nullopt;
        }
    }
    return count;
}

std::vector<std::string> studyIdentity(const StudyOptions& options) {
    std::vector<std::string> lines;
    const auto valuesLine = [&options](std::size_t n) {
        std::string line = std::string("--") + inputDescriptions()[n].option + " ";
        for (std::size_t v = 0; v < options.values[n].size(); ++v) {
            line += (v > 0 ? "," : "") + options.values[n][v];
        }
        return line;
    };
    for (std::size_t n = 0; n < FORM_INPUT_COUNT; ++n) lines.push_back(valuesLine(n));
    lines.push_back("--estimator " + options.estimator.value_or(""));
    if (const auto& w = options.workload.workload) {
        const bool kap = w->measure == app::WorkloadMeasure::KermaAreaProduct;
        char value[32];
        std::snprintf(value, sizeof value, "%.17g", w->perProcedure);
        lines.push_back(std::string(kap ? "--kap " : "--entrance-kerma ") + value);
        lines.push_back("--procedures " + std::to_string(w->proceduresPerYear));
    }
    if (const auto& eye = options.workload.eye) {
        char value[64];
        std::snprintf(value, sizeof value, "%.17g,%.17g", eye->xCm, eye->zCm);
        lines.push_back(std::string("--eye ") + value);
    }
    if (options.scene) {
        lines.push_back("--scene " + resultDigest(sceneFileLines(*options.scene)));
        for (std::size_t n = FORM_INPUT_COUNT; n < INPUT_COUNT; ++n) lines.push_back(valuesLine(n));
    }
    return lines;
}

std::vector<StudyInput> sweptInputs(const StudyOptions& options) {
    std::vector<StudyInput> swept;
    for (std::size_t n = 0; n < INPUT_COUNT; ++n) {
        if (options.values[n].size() > 1) swept.push_back(static_cast<StudyInput>(n));
    }
    return swept;
}

std::vector<Condition> studyConditions(const StudyOptions& options) {
    const std::size_t count = conditionCount(options).value_or(0);
    const std::vector<StudyInput> swept = sweptInputs(options);
    std::vector<Condition> conditions;
    conditions.reserve(count);
    for (std::size_t c = 0; c < count; ++c) {
        Condition condition;
        condition.index = c + 1;
        // The last input varies fastest: a mixed-radix count over the value lists.
        std::size_t rest = c;
        for (std::size_t n = INPUT_COUNT; n-- > 0;) {
            const auto& values = options.values[n];
            condition.inputs[n] = values[rest % values.size()];
            rest /= values.size();
        }
        for (StudyInput input : swept) {
            if (!condition.folder.empty()) condition.folder += '_';
            condition.folder += std::string(describe(input).option) +
                                condition.inputs[static_cast<std::size_t>(input)];
        }
        if (condition.folder.empty()) condition.folder = "condition";
        applyCorrections(condition);
        conditions.push_back(std::move(condition));
    }
    return conditions;
}

bool inPart(std::size_t index, const StudyPart& part) {
    return index >= static_cast<std::size_t>(part.k) &&
           (index - static_cast<std::size_t>(part.k)) % static_cast<std::size_t>(part.n) == 0;
}

}  // namespace korvana::study
