// The run file B2F.txt: one simulation's conditions, written by the launch
// dialog and read once by the engine before its banner.
#pragma once

#include <string>

#include "common/text_file.h"

namespace korvana::engine {

struct RunParameters {
    float phantomThickness = 0;      //!< [cm] object thickness along z
    float focusSurfaceDistance = 0;  //!< [cm] focal spot to entrance surface
    float fieldSizeY = 0;            //!< [cm] full field width along y (long axis)
    float fieldSizeX = 0;            //!< [cm] full field width along x (short axis)
    float curtainLeadThickness = 0;  //!< [cm Pb]
    float curtainLength = 0;         //!< [cm]
    float historyCount = 0;          //!< [photons] total incident photons
    //! The whole name line, trailing blanks dropped. Empty when the line is
    //! blank: the engine then asks for a name on the console when it writes.
    std::string resultFileName;
};

//! Reads lines 1-7 free-form (first number on each line; lines of blanks only
//! are passed over) and line 8 as the result name. Refuses, with the line, a
//! value outside its range (common/run_limits.h: what the result file's column
//! holds and the scene makes sense of, so a run never ends in a result of
//! asterisks) and a name that cannot be a file of the working directory.
RunParameters readRunFile(const std::string& fileName);
//! The same reading of the run file's lines already in memory.
RunParameters readRunLines(const TextLines& file);

//! The same refusal of values outside their range for parameters built in
//! memory (an in-process run); `source` names them in the message.
void checkRunParameters(const RunParameters& run, const std::string& source);

}  // namespace korvana::engine
