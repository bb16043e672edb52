// The beam of a live estimate, from its inputs in memory: the incident
// spectrum by the main form's generator (same corrections), the lines of
// B_SPCTL.dat it would write read back as the engine and the HVL calculator
// read them, the HVL results, and the run parameters as the engine reads the
// launch dialog's run file. Nothing is written to the working directory.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/live/live_inputs.h"
#include "app/live/live_tables.h"
#include "app/spectrum/generate_spectrum.h"
#include "common/grid_tables.h"
#include "engine/inputs/run_parameters.h"
#include "hvl/hvl_calculation.h"

namespace korvana::app {

struct LiveBeam {
    ConditionReading reading;                //!< the conditions after the corrections
    GeneratedSpectrum spectrum;              //!< incidentSpectrum and spectrumPeak
    std::vector<std::string> spectrumLines;  //!< B_SPCTL.dat as the generator writes it
    SpectrumFile engineSpectrum;             //!< those lines as the engine reads them
    std::optional<hvl::HvlResult> hvl;       //!< empty when the calculator refuses the beam
    std::string hvlProblem;                  //!< why, when it does
    engine::RunParameters run;               //!< run file values; historyCount set by the caller
};

//! Throws DataError when the generator refuses the conditions or the run
//! parameters are outside what the engine accepts.
LiveBeam prepareLiveBeam(const LiveInputs& inputs, const LiveTables& tables);

}  // namespace korvana::app
