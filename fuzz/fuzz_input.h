// What the fuzz targets share: the fuzzer's bytes handed to a reader the way
// the programs meet them, as a file in a directory of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvana::fuzz {

//! Writes the bytes to `name` in this process's scratch directory (made on
//! first use, removed at exit) and returns the file's path.
std::string writeInputFile(std::string_view name, const std::uint8_t* data, std::size_t size);

//! The bytes split at NUL characters, as a program's arguments arrive.
std::vector<std::string> splitArguments(const std::uint8_t* data, std::size_t size);

//! The bytes as text.
std::string_view asText(const std::uint8_t* data, std::size_t size);

}  // namespace korvana::fuzz
