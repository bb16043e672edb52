// What the interactive program holds for its whole run outside the text
// boxes: the material tables, the last incident spectrum and the rectification.
#pragma once

#include <optional>

#include "irradiation_conditions.h"
#include "material_tables.h"
#include "spectrum_generator.h"

namespace korvana::forms {

struct ProgramState {
    //! Empty until the tables have been read; a failed read is retried by step (4).
    std::optional<app::MaterialTables> materialTables;
    app::SpectrumArray incidentSpectrum{};  //!< last spectrum, bins 1..300
    double spectrumPeak = 0;                //!< its largest bin
    app::RectificationMode rectificationMode = app::RectificationMode::ConstantPotential;
};

}  // namespace korvana::forms
