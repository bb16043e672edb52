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
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "app/results/eye_position.h"
#include "app/results/workload.h"

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
};
inline constexpr std::size_t INPUT_COUNT = 12;

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
//! (the field as "LONGxSHORT", the mode as cp, 3phase or 1phase, pb empty when not given).
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
};

//! Parses the arguments after the program name. Throws DataError with the
//! reason for unknown options, malformed values, lists and ranges, a bad
//! --part, more than CONDITIONS_WITHOUT_YES conditions without --yes, more
//! than MAX_CONDITIONS at all, and a condition with a value the engine would
//! refuse (common/run_limits.h; the curtain length against FSD - 20 cm +
//! thickness is left to each condition's curtain check, as in the windows).
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
//! 60,80,100"; the workload options only when given. Parts of one study have
//! the same identity.
std::vector<std::string> studyIdentity(const StudyOptions& options);

//! True when condition `index` (1-based) belongs to `part`.
bool inPart(std::size_t index, const StudyPart& part);

}  // namespace korvana::study
