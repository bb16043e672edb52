// Every table the live estimate reads, read once per process and shared by
// every estimate and thread (none of them changes while the program runs):
// the spectrum generator's material tables, the engine's physics tables, the
// HVL calculator's aluminium table and the eye lens dose's conversion table.
#pragma once

#include <memory>
#include <string>

#include "app/results/eye_lens_dose.h"
#include "app/spectrum/material_tables.h"
#include "common/energy_grid.h"
#include "engine/run/engine_inputs.h"

namespace korvana::app {

struct LiveTables {
    MaterialTables material;                               //!< Tungsten, Aluminum.atc, Copper, Pb
    std::shared_ptr<const engine::PhysicsTables> physics;  //!< ICRUSoft, MU_en2016, Pb
    GridTable aluminiumHvl{};                              //!< Aluminum.atc as tavisen reads it
    EyeLensDoseTables eye;                                 //!< d-DperK.dDk and Pb.dat
};

//! The tables of `directory` (empty: the working directory), read at the
//! first call for it; a failed reading throws DataError naming the file and
//! is tried again at the next call.
std::shared_ptr<const LiveTables> sharedLiveTables(const std::string& directory = {});

}  // namespace korvana::app
