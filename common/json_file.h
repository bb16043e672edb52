// The JSON files the programs read (case files, the kept engine speeds), read
// strictly: a regular file under its kind's cap (regular_file.h), well-formed
// JSON, nested at most MAX_JSON_DEPTH arrays and objects deep, and no key
// given twice in one object. A repeated key would leave the reader to pick one
// of the two values silently; a deep nesting would only exhaust the stack of
// whatever walks the value afterwards.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "common/regular_file.h"

namespace korvana {

//! Arrays and objects one inside another, at most. Korvana's files nest two.
inline constexpr int MAX_JSON_DEPTH = 16;

//! Parses `text`, the content of `fileName`. Throws DataError naming the file,
//! the line and column of a syntax error, the key given twice, or the depth.
nlohmann::json parseJsonText(std::string_view text, const std::string& fileName);

//! readRegularFile(fileName, kind), then parseJsonText.
nlohmann::json readJsonFile(const std::string& fileName, FileKind kind);

}  // namespace korvana
