// korvana-study's options and the conditions they make.
//
// Every input of the main form and the launch dialog is an option with the
// main form's default, in the order of the form's steps (1) to (3) and the
// dialog: --thickness --fsd --field --kv --angle --inherent --al --cu --mode
// --pb --length --histories. A numeric option takes one value, a comma list
// or a range (value_list.h); the conditions are the Cartesian product of the
// values in that order, the first option varying slowest. --pb has no default,
// as the form's curtain box is empty: without it every condition is refused
// by the curtain check, as the main form refuses to open the launch dialog.
//
// --scene FILE (or a case's scene) gives every condition's run that room
// (scene_file.h), and four more inputs sweep it: --shield-lead (the lead of
// the scene's first shield), --shield-x and --shield-z (its centre), and
// --eye-height (the z of every eye point: the engine's z, along the beam, so
// with the tube over the couch -40 is 40 cm above the entrance surface; eye
// points meant at other heights belong in a scene of their own). Each takes
// the scene's own value unless given, and is refused without a scene, or
// without a shield or an eye point to move. They follow the form's inputs in
// the product, so a study without a scene makes the conditions it always did.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "app/results/eye_position.h"
#include "app/results/workload.h"
#include "common/scene_file.h"

namespace korvana::study {

enum class StudyInput {
    Thickness,
    Fsd,
    Field,
    Kv,
    Angle,
    Inherent,
    Al,
    Cu,
    Mode,
    Pb,
    Length,
    Histories,
    ShieldLead,  //!< the scene's: only with a scene
    ShieldX,
    ShieldZ,
    EyeHeight,
};
//! The main form's and the launch dialog's inputs, ahead of the scene's.
inline constexpr std::size_t FORM_INPUT_COUNT = 12;
inline constexpr std::size_t INPUT_COUNT = 16;

//! An input of the scene (ShieldLead and after).
constexpr bool isSceneInput(StudyInput input) {
    return static_cast<std::size_t>(input) >= FORM_INPUT_COUNT;
}

struct InputDescription {
    const char* option;       //!< without dashes: "kv"
    const char* column;       //!< summary column: the option and its unit, "pb_mm"
    const char* unit;         //!< for axes: "mm Pb"; empty for none
    const char* defaultText;  //!< the main form's default; empty: none
    const char* help;         //!< meaning and unit, for --help
};

//! The inputs in the order above.
const std::array<InputDescription, INPUT_COUNT>& inputDescriptions();
const InputDescription& describe(StudyInput input);

//! One condition: the text of every input, as the main form's boxes would hold them
//! (the field as "LONGxSHORT", the mode as cp, 3phase or 1phase, pb empty when not given;
//! the scene's inputs empty without a scene, or without a shield or eye point to move).
using InputTexts = std::array<std::string, INPUT_COUNT>;

struct Condition {
    std::size_t index = 0;  //!< 1-based place in the whole study
    //! The values the chain runs with: the main form's corrections (tube
    //! voltage into 30 to 149.5 kV, inherent filtration to at least 1 mm)
    //! already applied, so the summary records what was run.
    InputTexts inputs;
    std::string folder;  //!< named from the swept values as given, e.g. "kv80_pb0.35"
    //! The corrections made to the given values, "kv corrected 200 -> 149.5".
    std::vector<std::string> corrections;
};

//! --part k/n: every n-th condition starting at the k-th.
struct StudyPart {
    int k = 1;
    int n = 1;
};

inline constexpr std::size_t CONDITIONS_WITHOUT_YES = 1000;
//! The most conditions a study may have even with --yes: at a second each
//! they run for eleven days, and their list alone fills a screen for hours.
inline constexpr std::size_t MAX_CONDITIONS = 1'000'000;

//! The worker's year, when given (--kap or --entrance-kerma, --procedures,
//! --eye): the summary then gains the annual eye lens dose columns.
struct StudyWorkload {
    std::optional<app::Workload> workload;
    std::optional<app::EyePosition> eye;
};

struct StudyOptions {
    bool help = false;
    bool version = false;  //!< --version: print the version and stop
    std::array<std::vector<std::string>, INPUT_COUNT> values;  //!< per input, at least one
    std::optional<int> threads;                                //!< passed to the engine when given
    std::optional<std::string> estimator;                      //!< analog | next-event
    std::string outDir = "study";
    bool dryRun = false;
    bool force = false;
    bool yes = false;
    StudyPart part;
    std::vector<std::string> mergeDirs;  //!< --merge: join these summaries instead of running
    StudyWorkload workload;
    //! --scene's room, or the case's; every condition's run gets it with its
    //! scene inputs applied (conditionScene).
    std::optional<SceneDescription> scene;
    std::string sceneSource;  //!< the scene's file (or case) for messages
};

//! The study has the input: the form's always, the scene's with a scene.
bool studyHasInput(const StudyOptions& options, StudyInput input);

//! The room of one condition: the study's scene with the condition's shield
//! and eye height applied. None without a scene. Made when the condition
//! runs, not kept with it: a million conditions need not hold a million rooms.
std::optional<SceneDescription> conditionScene(const StudyOptions& options,
                                               const Condition& condition);

//! Parses the arguments after the program name. Throws DataError with the
//! reason for unknown options, malformed values, lists and ranges, a bad
//! --part, more than CONDITIONS_WITHOUT_YES conditions without --yes, more
//! than MAX_CONDITIONS at all, and a condition with a value the engine would
//! refuse (common/run_limits.h; the curtain length against FSD - 20 cm +
//! thickness is left to each condition's curtain check, as in the windows),
//! a condition's room the scene reader refuses (a shield moved into the
//! object, lead beyond the engine's limit), and eye points with an estimator
//! other than next-event, the only one that scores them.
StudyOptions parseStudyOptions(const std::vector<std::string>& arguments);

//! The text of --help, with every default and unit.
std::string studyUsage();

//! The number of conditions the values make, or none when it is above
//! MAX_CONDITIONS (the product is taken with overflow checks).
std::optional<std::size_t> conditionCount(const StudyOptions& options);

//! The Cartesian product of the values, in study order, with their folders
//! and the main form's corrections applied.
std::vector<Condition> studyConditions(const StudyOptions& options);

//! The inputs with more than one value, in input order.
std::vector<StudyInput> sweptInputs(const StudyOptions& options);

//! Everything that makes one study, all options but those that only choose
//! what to run now or where (--part, --out, --force, --dry-run, --yes) and
//! --threads (the results do not depend on it): one line per option, "--kv
//! 60,80,100"; the workload options only when given; with a scene, its
//! digest ("--scene 3f2a...", the content, not the file's name) and the
//! scene's inputs. Parts of one study have the same identity.
std::vector<std::string> studyIdentity(const StudyOptions& options);

//! True when condition `index` (1-based) belongs to `part`.
bool inPart(std::size_t index, const StudyPart& part);

}  // namespace korvana::study
