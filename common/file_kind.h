// The kinds of file the programs read and write, one list for the rule every
// reader follows (regular_file.h: what a file of a kind may hold) and the rule
// every writer follows (output_files.h: which kinds a file may replace).
#pragma once

#include <cstdint>
#include <string_view>

namespace korvana {

enum class FileKind {
    Result,         //!< a result file, NAME.data
    Uncertainty,    //!< a result's uncertainty file, NAME.unc.csv or NAME.uncertainty.csv
    Case,           //!< a case file, NAME.korvana.json
    Scene,          //!< a scene file, NAME.scene.json (scene_file.h)
    Points,         //!< a result's eye points, NAME.points.csv (points_file.h)
    CsvTable,       //!< a table Korvana exports: the viewers' CSV files, a study's summary
    Log,            //!< a program's console text, NAME.log
    PhysicsTable,   //!< a shipped table (PHYSICS_TABLE_FILES)
    RunFile,        //!< B2F.txt
    Spectrum,       //!< B_SPCTL.dat
    HvlResults,     //!< HVL_S2.dat
    EngineSpeeds,   //!< the kept engine rates, engine_speed.json
    StudyIdentity,  //!< a study's options, study_options.txt
    Program,        //!< one of PROGRAM_FILES, or any executable file
    Directory,
    Special,  //!< a FIFO, socket or device
    Other,    //!< a file no Korvana program writes
};

//! What the programs say of a kind, and the most a file of it may hold.
struct FileKindFacts {
    std::string_view name;         //!< "result file": what a reader expected
    std::string_view description;  //!< "a result file": what a writer finds in its way
    std::uint64_t maxBytes = 0;    //!< the size cap of a reader; 1 MB for kinds nothing reads
};

//! The facts of `kind`, one table for every kind.
const FileKindFacts& fileKindFacts(FileKind kind);

}  // namespace korvana
