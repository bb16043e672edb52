// korvana-spectrum: the spectrum run of the main form's step (4) for scripts.
//
//   korvana-spectrum --kv 80 --angle 12 --inherent 2.5 --al 1.5 --cu 0 --mode 1
//
// The values are what a user types into the form (kV, degrees, mm); they get
// the form's corrections and checks. The material tables are read from the
// working directory and B_SPCTL.dat is written there.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "app/spectrum/irradiation_conditions.h"

namespace korvana::app {

struct SpectrumOptions {
    bool help = false;
    bool version = false;
    ConditionTexts texts;
    RectificationMode rectification = RectificationMode::ConstantPotential;
};

//! Parses the arguments after the program name. Every option except --help
//! is required; a value must be one number. Throws DataError naming the option.
SpectrumOptions parseSpectrumOptions(const std::vector<std::string>& arguments);

//! The text of --help.
std::string spectrumUsage();

//! The corrections the reading made to the typed texts, one English sentence
//! each ("Tube voltage 160 kV corrected to 149.5 kV (range 30 to 149.5 kV)."),
//! for the console of the window-less commands.
std::vector<std::string> correctionNotes(const ConditionTexts& texts,
                                         const ConditionReading& reading);

//! Runs the command: 0 on success, 1 on bad arguments, 2 when the tables or
//! the conditions are rejected; the message goes to `errors`.
int runSpectrumCommand(const std::vector<std::string>& arguments, std::ostream& out,
                       std::ostream& errors);

}  // namespace korvana::app
