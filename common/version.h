// The version every program of the suite reports for --version.
#pragma once

#include <string>

namespace korvana {

inline constexpr const char* KORVANA_VERSION = "2026.12";

//! "PROGRAM (Korvana) VERSION", the whole answer to --version.
inline std::string versionLine(const char* program) {
    return std::string(program) + " (Korvana) " + KORVANA_VERSION;
}

}  // namespace korvana
