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
inline constexpr const char* CONVERSION_TABLE_FILE = "d-DperK.dDk";

//! The shipped physics tables, which no program writes.
inline constexpr const char* PHYSICS_TABLE_FILES[] = {
    TISSUE_TABLE_FILE,   AIR_TABLE_FILE,    LEAD_TABLE_FILE,      ALUMINIUM_TABLE_FILE,
    TUNGSTEN_TABLE_FILE, COPPER_TABLE_FILE, CONVERSION_TABLE_FILE};
//! The programs, which lie in the working directory beside their files.
inline constexpr const char* PROGRAM_FILES[] = {
    "lumetrel", "tavisen", "korvana", "korvana-results", "korvana-study", "korvana-spectrum"};

}  // namespace korvana

#include <string>
#include <string_view>

namespace korvana {

//! Why `name` cannot be used as a plain file name in the working directory
//! (empty, ".", "..", a path separator, a control character, or one of
//! : * ? " < > | that other systems' file names cannot hold); empty when it can.
std::string fileNameProblem(std::string_view name);

//! The name of a file a result keeps beside it: "x.data" -> "x" + `ending`;
//! any other name gets `ending` appended (sceneFileName, pointsFileName).
std::string companionFileName(std::string_view resultFileName, std::string_view ending);

}  // namespace korvana
