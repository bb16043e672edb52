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
//
// and "korvana_case": the version of this layout, 1. Any key may be absent.
// A file of a newer version, an unknown key or a value that is neither text
// nor number is refused with the key and the reason.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace korvana::app {

inline constexpr int CASE_FILE_VERSION = 1;
inline constexpr const char* CASE_FILE_SUFFIX = ".korvana.json";

//! Key -> the entry's text, for the keys the case holds.
using CaseEntries = std::map<std::string, std::string>;

//! The keys a case may hold, in the order a file lists them.
const std::vector<std::string>& caseKeys();

//! The file's text: one key a line, in caseKeys order.
std::string caseFileText(const CaseEntries& entries);

//! Writes the case whole (under a temporary name, then renamed). Throws DataError.
void writeCaseFile(const std::string& fileName, const CaseEntries& entries);

//! Reads a case. Throws DataError naming the file, the key and the reason.
CaseEntries readCaseFile(const std::string& fileName);

}  // namespace korvana::app
