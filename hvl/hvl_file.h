// HVL_S2.dat: the five results of the HVL calculator, one per line.
//
//   1 "(F6.3)"  first HVL [mm Al]          2 "(F6.2)"  its effective energy [keV]
//   3 "(F6.3)"  second HVL [mm Al]         4 "(F6.2)"  its effective energy [keV]
//   5 "(F15.0)" photons/mm^2 per 1 C/kg
// Lines end with CR LF. The file is written under a temporary name and renamed
// into place, so the incident spectrum window never reads half a file.
#pragma once

#include <string>
#include <vector>

#include "hvl/hvl_calculation.h"

namespace korvana::hvl {

//! The five lines of HVL_S2.dat, without line ends.
std::vector<std::string> formatHvlLines(const HvlResult& result);

//! Writes `fileName` in the working directory; throws DataError on failure.
void writeHvlFile(const HvlResult& result, const std::string& fileName);

}  // namespace korvana::hvl
