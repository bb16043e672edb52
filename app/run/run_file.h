// The launch dialog's core: the curtain checks made before it opens, the
// result name it accepts, and the eight lines of the run file B2F.txt.
//
// Lines of B2F.txt, each the formatted value alone (the engine reads them by
// position):
//   1 thickness of the irradiated object [cm]      "#0.0"
//   2 focus-to-surface distance [cm]               "#00.0"
//   3 field size along the long axis [cm]          "#0.0"
//   4 field size along the short axis [cm]         "#0.0"
//   5 lead equivalent of the curtain [cm Pb]       "0.000"  (typed in mm)
//   6 curtain length L [cm]                        "00.0"
//   7 number of histories                          "0.000E+00"
//   8 result name followed by ".data"
// Numbers are read from the texts with the text-box number rule.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/output_files.h"
#include "common/run_limits.h"

namespace korvana::app {

//! The texts of the main form and the launch dialog that the run file takes.
struct RunFileTexts {
    std::string phantomThicknessCm;  //!< Form2.Text6
    std::string focusSurfaceCm;      //!< Form2.Text7
    std::string fieldLongCm;         //!< Form2.Text13
    std::string fieldShortCm;        //!< Form2.Text14
    std::string curtainLeadMm;       //!< Form2.Text8 [mm Pb]
    std::string curtainLengthCm;     //!< Form2.Text12
    std::string historyCount;        //!< Form12.Text1
    std::string resultName;          //!< Form12.Text2, without extension
};

std::vector<std::string> formatRunFileLines(const RunFileTexts& texts);

//! The first value of the run file these texts make that the engine would
//! refuse (common/run_limits.h), judged on the numbers as formatted into
//! B2F.txt, so the rounding of the pictures is taken into account exactly as
//! the engine reads them. None when the engine accepts them all.
std::optional<RunValueFault> runFileFault(const RunFileTexts& texts);

enum class CurtainCheck {
    Accepted,
    EntryMissing,   //!< lead equivalent or length left empty
    LengthTooLong,  //!< L longer than FSD - 20 cm + thickness
};

//! The checks of step (5). Only emptiness is tested for the lead equivalent;
//! a curtain exactly FSD - 20 cm + thickness long is accepted.
CurtainCheck checkCurtain(std::string_view curtainLeadMm, std::string_view curtainLengthCm,
                          std::string_view focusSurfaceCm, std::string_view phantomThicknessCm);

//! Why a name cannot name a result file (the launch dialog words each one).
enum class ResultNameFault {
    None,
    Empty,
    Directory,           //!< "." or ".."
    PathSeparator,       //!< results are written in the working directory only
    ForbiddenCharacter,  //!< a control character or one of : * ? " < > |
    Hidden,              //!< begins with "."; the result browser would never list it
    TooLong,             //!< longer than longestResultStem(directory) (output_files.h)
};

//! The first fault of `name` as a result name (without ".data") for a run
//! whose files lie in `directory`, None when it is usable. The length is
//! judged against that directory's own limit, as the engine's files need.
ResultNameFault resultNameFault(std::string_view name, const std::string& directory = ".");

//! The files a run of result name `name` (without ".data") writes in
//! `directory` (empty: the working directory): the result, its uncertainty
//! file and the engine's console log NAME.log.
std::vector<OutputFile> runOutputFiles(const std::string& directory, const std::string& name);

}  // namespace korvana::app
