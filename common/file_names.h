// Fixed names of the files the programs exchange in the working directory.
#pragma once

namespace korvana {

inline constexpr const char* TISSUE_TABLE_FILE = "ICRUSoft.dat";
inline constexpr const char* AIR_TABLE_FILE = "MU_en2016.dat";
inline constexpr const char* LEAD_TABLE_FILE = "Pb.dat";
inline constexpr const char* ALUMINIUM_TABLE_FILE = "Aluminum.atc";
inline constexpr const char* TUNGSTEN_TABLE_FILE = "Tungsten.dat";
inline constexpr const char* COPPER_TABLE_FILE = "Copper.dat";
inline constexpr const char* RUN_FILE = "B2F.txt";
inline constexpr const char* SPECTRUM_FILE = "B_SPCTL.dat";
inline constexpr const char* HVL_FILE = "HVL_S2.dat";

}  // namespace korvana

#include <string>
#include <string_view>

namespace korvana {

//! Why `name` cannot be used as a plain file name in the working directory
//! (empty, ".", "..", a path separator, a control character, or one of
//! : * ? " < > | that other systems' file names cannot hold); empty when it can.
std::string fileNameProblem(std::string_view name);

}  // namespace korvana
