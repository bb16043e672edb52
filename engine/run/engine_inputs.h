// Everything a run reads before its first history, from the files of the
// working directory (lumetrel) or from values in memory (an in-process run).
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "common/grid_tables.h"
#include "common/scene_file.h"
#include "engine/inputs/beam.h"
#include "engine/inputs/run_parameters.h"
#include "engine/inputs/tissue_tables.h"

namespace korvana::engine {

//! The physics tables: ICRUSoft.dat, MU_en2016.dat, Pb.dat and Aluminum.atc as read.
struct PhysicsTables {
    TissueTables tissue;
    GridTable air{};   //!< muen/rho of air [cm^2/g]
    GridTable lead{};  //!< mu of lead [1/cm]
    //! mu of aluminium [1/cm], for a scene's table; none when the directory lacks it
    std::optional<GridTable> aluminium;
};

//! Reads the three tables of `directory`, and Aluminum.atc when it is there.
PhysicsTables loadPhysicsTables(const std::filesystem::path& directory);

//! The tables of `directory`, read at the first call for it and shared by
//! every later call of the process (and by every thread: they never change).
std::shared_ptr<const PhysicsTables> sharedPhysicsTables(const std::filesystem::path& directory);

//! Everything read before the banner. The tables live for the whole run (a
//! copy of a few kB of the one reading).
struct EngineInputs {
    TissueTables tissue;
    GridTable air{};   //!< muen/rho of air [cm^2/g]
    GridTable lead{};  //!< mu of lead [1/cm]
    //! mu of aluminium [1/cm]; read only when the scene has a table
    GridTable aluminium{};
    RunParameters run;
    //! The room around the object; {"version": 1} when no scene file is given.
    SceneDescription scene;
    SpectrumFile spectrumFile;
    PreparedSpectrum spectrum;
};

//! Reads ICRUSoft.dat, MU_en2016.dat, Pb.dat, B2F.txt and B_SPCTL.dat from the
//! current directory in that order, and prepares the spectrum; then the scene
//! file when one is named (and Aluminum.atc when its scene has a table).
//! Refuses a run that would have no primary air kerma, and a scene that does
//! not fit the run's object.
void loadEngineInputs(EngineInputs& inputs, const std::string& sceneFile = {});

//! The inputs from values in memory, with the checks the files get: values
//! out of range, tables that do not serve the spectrum, no primary air kerma,
//! a scene that does not fit the object or has a table without Aluminum.atc
//! (DataError).
std::unique_ptr<EngineInputs> makeEngineInputs(const PhysicsTables& tables,
                                               const RunParameters& run,
                                               const SpectrumFile& spectrum,
                                               const SceneDescription& scene = {});

}  // namespace korvana::engine
