// One spectrum run as the main form's step (4) does it, without any window:
// read and correct the conditions, compute the spectrum, write B_SPCTL.dat in
// the working directory (or under another path, for a study's condition
// folder). Starting the HVL calculator and drawing are the caller's part.
#pragma once

#include <string>

#include "app/spectrum/irradiation_conditions.h"
#include "app/spectrum/material_tables.h"
#include "app/spectrum/spectrum_generator.h"
#include "common/file_names.h"

namespace korvana::app {

struct SpectrumRun {
    ConditionReading reading;    //!< the conditions used and the corrected texts
    GeneratedSpectrum spectrum;  //!< incidentSpectrum and spectrumPeak
};

//! Throws DataError (conditions rejected, spectrum 0 everywhere, file not
//! writable); the file is then left as it was.
SpectrumRun generateSpectrum(const ConditionTexts& texts, RectificationMode rectification,
                             const MaterialTables& tables,
                             const std::string& fileName = SPECTRUM_FILE);

}  // namespace korvana::app
