#include "common/csv.h"

#include <charconv>

#include "common/data_error.h"
#include "common/text_file.h"

namespace korvana {

std::string csvLine(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t n = 0; n < cells.size(); ++n) {
        if (n > 0) line += ',';
        const std::string& cell = cells[n];
        if (cell.find_first_of(",\"\r\n") == std::string::npos) {
            line += cell;
            continue;
        }
        line += '"';
        for (const char c : cell) {
            if (c == '"') line += '"';
            line += c;
        }
        line += '"';
    }
    return line;
}

std::vector<std::string> splitCsvLine(std::string_view line, const std::string& fileName,
                                      int lineNumber) {
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t n = 0; n < line.size(); ++n) {
        const char c = line[n];
        if (quoted) {
            if (c != '"') {
                cells.back() += c;
            } else if (n + 1 < line.size() && line[n + 1] == '"') {
                cells.back() += '"';
                ++n;
            } else {
                quoted = false;
            }
        } else if (c == ',') {
            cells.emplace_back();
        } else if (c == '"' && cells.back().empty()) {
            quoted = true;
        } else {
            cells.back() += c;
        }
    }
    if (quoted) {
        throw DataError(SourcePosition{fileName, lineNumber, static_cast<int>(line.size())},
                        "a quoted cell is not closed (the line was cut) - restore the file or "
                        "write it again");
    }
    return cells;
}

std::string csvNumber(double value) {
    char buffer[40];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

std::string csvNumber(double value, int significantDigits) {
    char buffer[40];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                            std::chars_format::general, significantDigits);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

std::string csvNumber(const std::optional<double>& value) {
    return value ? csvNumber(*value) : std::string();
}

std::string csvNumber(const std::optional<double>& value, int significantDigits) {
    return value ? csvNumber(*value, significantDigits) : std::string();
}

void writeCsvFile(const std::string& fileName, const std::vector<std::string>& lines) {
    writeTextFileAtomically(fileName, lines);
}

}  // namespace korvana
