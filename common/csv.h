// The CSV convention of every CSV file the programs write and read back
// (exports, the study's summary, the validation tables): UTF-8, "," between
// cells, "." as decimal point whatever the locale, one header row; a cell
// holding a comma, a double quote, CR or LF is quoted, its quotes doubled
// (RFC 4180). Numbers are written by std::to_chars, never by the locale.
// Files are written through writeTextFileAtomically (CR LF line ends, a
// reader sees the old file or the whole new one).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvana {

//! One row: the cells joined by ",", quoted where needed.
std::string csvLine(const std::vector<std::string>& cells);

//! The cells of one row. A quoted cell may hold commas and doubled quotes;
//! one that is not closed throws DataError at `fileName`, `lineNumber`.
std::vector<std::string> splitCsvLine(std::string_view line, const std::string& fileName,
                                      int lineNumber);

//! The shortest text that reads back to the same double ("0.1", "1e-05").
std::string csvNumber(double value);
//! `value` with `significantDigits` significant digits, trailing zeros
//! dropped ("1.5", "0.000123457").
std::string csvNumber(double value, int significantDigits);
//! Empty when there is no value.
std::string csvNumber(const std::optional<double>& value);
std::string csvNumber(const std::optional<double>& value, int significantDigits);

//! Writes a header and rows as `fileName` (replacing it). Throws DataError.
void writeCsvFile(const std::string& fileName, const std::vector<std::string>& lines);

}  // namespace korvana
