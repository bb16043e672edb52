// Linear attenuation coefficients of the four materials of the interactive
// program, on the energy grid, read once at program start.
//
// Each file holds 300 records of two numbers, the energy [keV] (read and
// discarded: the bin follows from the record's position) and mu [1/cm].
// Numbers are free-form: separated by blanks, tabs, commas or line ends, in
// any real notation, so fixed-column files of the batch programs read alike.
// Exactly 600 numbers are taken from each file; anything after them is ignored.
#pragma once

#include <array>
#include <string>

#include "common/energy_grid.h"

namespace korvana::app {

//! mu [1/cm] per bin 1..300 at the energy bin x 0.5 keV; element 0 is not a bin and stays 0.
using AttenuationTable = std::array<double, GRID_BINS + 1>;

struct MaterialTables {
    AttenuationTable tungstenAttenuation{};   //!< Tungsten.dat: anode self-absorption
    AttenuationTable aluminiumAttenuation{};  //!< Aluminum.atc: inherent and added Al filtration
    AttenuationTable copperAttenuation{};     //!< Copper.dat: added copper filter
    AttenuationTable leadAttenuationGui{};    //!< Pb.dat: lead protection of the eye lens dose
};

//! Reads one table file. Throws DataError naming the file (and the line and
//! column of a bad number) when it is missing, holds fewer than 600 numbers,
//! or has an item that is not a number or a coefficient that is negative or
//! not finite: nothing goes on with half-read data.
AttenuationTable loadAttenuationTable(const std::string& fileName);

//! Reads Tungsten.dat, Aluminum.atc, Copper.dat and Pb.dat from `directory`
//! (empty: the working directory), in this order, each read in full before the next.
MaterialTables loadMaterialTables(const std::string& directory = {});

//! `name` in `directory`; the plain name when the directory is empty.
std::string fileInDirectory(const std::string& directory, const char* name);

}  // namespace korvana::app
