// What the interactive program holds for its whole run outside the text
// boxes: the material tables, the last incident spectrum, the rectification
// the loaded result and the room around the object.
#pragma once

#include <optional>

#include "app/results/result_set.h"
#include "app/spectrum/irradiation_conditions.h"
#include "app/spectrum/material_tables.h"
#include "app/spectrum/spectrum_generator.h"
#include "common/scene_file.h"

namespace korvana::forms {

struct ProgramState {
    //! Empty until the tables have been read; a failed read is retried by step (4).
    std::optional<app::MaterialTables> materialTables;
    app::SpectrumArray incidentSpectrum{};  //!< last spectrum, bins 1..300
    double spectrumPeak = 0;                //!< its largest bin
    app::RectificationMode rectificationMode = app::RectificationMode::ConstantPotential;
    //! The rectification of the spectrum step (4) wrote last; B_SPCTL.dat
    //! keeps no rectification of its own. Empty before the first spectrum.
    std::optional<app::RectificationMode> spectrumRectification;
    //! The result file loaded by the browser's OK, shared by the plots, the
    //! map and the eye lens dose; replaced only by a file read in full.
    app::ResultSet resultSet;
    //! The room the room panel holds: shields, the finite curtain, the table
    //! and the eye points; {"version": 1} (empty) for a run without a scene
    //! file. The launch dialog and the live window take it from here.
    SceneDescription scene;
};

}  // namespace korvana::forms
