// One study condition through the real chain, in its own folder:
//   the curtain check and result name of the launch dialog (run_file.h),
//   the spectrum of the main form's step (4) -> B_SPCTL.dat,
//   tavisen -> HVL_S2.dat,
//   the run file writer -> B2F.txt,
//   with a scene, the condition's room -> study_scene.json, which lumetrel is
//   given with --scene,
//   lumetrel -> NAME.data (and NAME.unc.csv when the engine writes one; with
//   a scene NAME.scene.json, and NAME.points.csv when it has eye points),
//   the result viewers' numbers: air kerma and eye lens doses (eye_lens_dose.h),
//   and with a workload the year's doses (annual_eye_lens_dose.h).
// NAME is the folder's name. The data tables are linked into the folder, so
// every file of the run sits there and korvana's result browser can open it.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/results/eye_lens_dose.h"
#include "app/spectrum/material_tables.h"
#include "app/study/study_options.h"
#include "app/study/summary_file.h"

namespace korvana::study {

//! Where the chain's programs and tables are.
struct StudyEnvironment {
    std::string engineProgram;  //!< lumetrel
    std::string hvlProgram;     //!< tavisen
    std::string dataDirectory;  //!< the shipped tables
};

//! The engine options a study passes on, only when the user gave them.
struct EngineSettings {
    std::optional<int> threads;
    std::optional<std::string> estimator;
};

//! Tables read once per study from the data directory.
struct StudyTables {
    app::MaterialTables material;
    app::EyeLensDoseTables eyeLens;
};

//! The tables the chain reads in a condition folder: the engine's, tavisen's,
//! the spectrum's and the eye lens dose's.
const std::vector<std::string>& chainTableNames();

//! Engine progress: the share of the condition's histories done and how many.
using EngineProgress = std::function<void(double fractionDone, double historiesDone)>;

struct ConditionOutcome {
    std::optional<ConditionResult> result;  //!< when the whole chain succeeded
    std::string failure;                    //!< why not, in English
    std::vector<std::string> notes;         //!< corrections of the spectrum's inputs
    bool interrupted = false;               //!< keepGoing said stop
};

//! The condition's room as the chain gives it to the engine, FOLDER/study_scene.json:
//! not NAME.scene.json, which the engine writes beside its result.
inline constexpr const char* CONDITION_SCENE_FILE = "study_scene.json";

//! The engine's arguments for a condition (the options given, and --scene
//! when it has a room).
std::vector<std::string> engineArguments(const EngineSettings& engine,
                                         const std::optional<SceneDescription>& scene);

//! The result file of a condition folder: FOLDER/NAME.data.
std::filesystem::path resultFileOf(const std::filesystem::path& folder);

//! Runs the chain in `folder` (created when missing; outputs of an earlier run
//! there are removed first, so none is taken for this run's), in the
//! condition's room when it has one (conditionScene).
ConditionOutcome runCondition(const Condition& condition, const std::filesystem::path& folder,
                              const StudyEnvironment& environment, const EngineSettings& engine,
                              const StudyTables& tables, const EngineProgress& progress,
                              const std::function<bool()>& keepGoing,
                              const StudyWorkload& workload = {},
                              const std::optional<SceneDescription>& scene = std::nullopt);

//! Removes what the chain writes into a condition folder (its outputs and the
//! tables it links there) and nothing else: files a user put there stay.
void removeChainFiles(const std::filesystem::path& folder);

//! What a condition's result was made from, FOLDER/NAME.made_from.txt,
//! written by the chain after the engine's run succeeded:
//!
//!   korvana_made_from 1
//!   run_file 3f2a9c0d5e6b7a81     the digest of B2F.txt
//!   spectrum 0b1c2d3e4f5a6b7c     the digest of B_SPCTL.dat
//!   estimator next-event          the estimator option passed (empty: the engine's default)
//!   scene 5e6f7a8b9c0d1e2f        with a scene only: the digest of study_scene.json
//!   result 9a8b7c6d5e4f3a2b       the digest of NAME.data
//!
//! Digests as the uncertainty file pairs its result (resultDigest). A result
//! that another run replaced, or that was damaged, no longer has its digest:
//! a study then runs the condition again rather than take it for the row's.
inline constexpr const char* MADE_FROM_SUFFIX = ".made_from.txt";

//! Why the result in `folder` cannot be taken as this condition's own (its
//! record is missing or damaged, the run file, spectrum or room the condition
//! makes now, or the estimator, differ from those recorded, or the result file
//! is not the one the run wrote); empty when it can.
std::string resultNotOwnReason(const Condition& condition, const std::filesystem::path& folder,
                               const StudyTables& tables, const EngineSettings& engine,
                               const std::optional<SceneDescription>& scene = std::nullopt);

//! The summary values of a result file already in a folder (NAME.data, its
//! .unc.csv when present, HVL_S2.dat, NAME.points.csv when present), with
//! the year's doses when the study has a workload. Throws DataError when one
//! is unusable, or the eye points are not those of `scene`.
ConditionResult readConditionResult(const std::filesystem::path& folder, const StudyTables& tables,
                                    const StudyWorkload& workload = {},
                                    const std::optional<SceneDescription>& scene = std::nullopt);

}  // namespace korvana::study
