// A case file, NAME.korvana.json: every entry of the main form and of the
// launch dialog, so that a case can be kept, opened again, and run as a study.
//
// A JSON object whose keys are korvana-study's long options, each value the
// entry's text as typed (a JSON number is taken as its text):
//
//   key        entry                                       unit
//   thickness  thickness of the irradiated object          cm
//   fsd        focus-to-entrance-surface distance          cm
//   field      field size at FSD, "LONGxSHORT"             cm
//   kv         tube voltage                                kV
//   angle      target angle                                degree
//   inherent   inherent filtration                         mm Al
//   al, cu     added aluminium and copper filters          mm
//   mode       rectification: cp, 3phase or 1phase
//   pb         curtain lead equivalent                     mm Pb
//   length     curtain length L                            cm
//   histories  number of histories
//   threads    engine threads ("0": every core; absent: one stream)
//   estimator  analog or next-event
//   name       the result name (the launch dialog's; korvana-study names its own)
//   scene      the room: a JSON object laid out as a scene file (scene_file.h)
//
// and "korvana_case": the version of this layout. Any key may be absent.
// A file of a newer version, an unknown key or a value that is neither text
// nor number is refused with the key and the reason; a scene the scene
// reader refuses, with its key inside the case ("scene.shields[0].lead_mm").
//
// Versions: 1 holds the entries without "scene"; 2 adds "scene". A case is
// written in the lowest version that holds it: a case without a scene stays
// layout 1, which every earlier build opens, while one with a scene is
// layout 2, which an earlier build refuses as written by a newer Korvana
// rather than opening the same inputs in another room without a word.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/scene_file.h"

namespace korvana::app {

//! The newest layout this build reads and writes.
inline constexpr int CASE_FILE_VERSION = 2;
//! The layout of a case without a scene.
inline constexpr int CASE_FILE_VERSION_WITHOUT_SCENE = 1;
//! The key of the scene, whose entry text is the scene file's text.
inline constexpr const char* CASE_SCENE_KEY = "scene";
inline constexpr const char* CASE_FILE_SUFFIX = ".korvana.json";

//! Key -> the entry's text, for the keys the case holds; the scene's entry
//! holds the scene file's text (caseScene, setCaseScene).
using CaseEntries = std::map<std::string, std::string>;

//! The keys a case may hold, in the order a file lists them.
const std::vector<std::string>& caseKeys();

//! The file's text: one key a line, in caseKeys order.
std::string caseFileText(const CaseEntries& entries);

//! Writes the case whole (under a temporary name, then renamed). Throws DataError.
void writeCaseFile(const std::string& fileName, const CaseEntries& entries);

//! Reads a case. Throws DataError naming the file, the key and the reason.
CaseEntries readCaseFile(const std::string& fileName);

//! The case's scene, none when it has none. Throws DataError when the
//! entry is not a scene (it was not set by setCaseScene or readCaseFile).
std::optional<SceneDescription> caseScene(const CaseEntries& entries);

//! Gives the case `scene`, or takes its scene away when none.
void setCaseScene(CaseEntries& entries, const std::optional<SceneDescription>& scene);

}  // namespace korvana::app
