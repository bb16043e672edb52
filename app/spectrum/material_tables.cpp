#include "material_tables.h"

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "data_error.h"
#include "file_names.h"
#include "text_file.h"

namespace korvana::app {

namespace {

constexpr int NUMBERS_PER_FILE = 2 * GRID_BINS;  // energy and coefficient per record

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == ','; }

// One free-form item as a double; D as the exponent letter is taken like E.
bool parseItem(std::string_view item, double& value) {
    std::string text(item);
    for (char& c : text) {
        if (c == 'D' || c == 'd') c = 'E';
    }
    const char* first = text.data();
    if (!text.empty() && text[0] == '+') ++first;  // from_chars takes no plus sign
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    return error == std::errc() && end == last;
}

}  // namespace

AttenuationTable loadAttenuationTable(const std::string& fileName) {
    const TextLines file = readTextFile(fileName);
    AttenuationTable table{};
    int count = 0;
    for (std::size_t lineIndex = 0; lineIndex < file.lines.size() && count < NUMBERS_PER_FILE;
         ++lineIndex) {
        const std::string& line = file.lines[lineIndex];
        std::size_t pos = 0;
        while (count < NUMBERS_PER_FILE) {
            while (pos < line.size() && isSeparator(line[pos])) ++pos;
            if (pos >= line.size()) break;
            const std::size_t start = pos;
            while (pos < line.size() && !isSeparator(line[pos])) ++pos;
            const std::string_view item(line.data() + start, pos - start);
            const SourcePosition where{fileName, static_cast<int>(lineIndex) + 1,
                                       static_cast<int>(start) + 1};
            double value = 0.0;
            if (!parseItem(item, value)) {
                throw DataError(where, "'" + std::string(item) +
                                           "' is not a number (each record holds an energy "
                                           "and an attenuation coefficient) - restore the "
                                           "shipped table");
            }
            const int bin = count / 2 + 1;
            if (count % 2 == 1) {
                if (!std::isfinite(value) || value < 0.0) {
                    throw DataError(where, "the attenuation coefficient of bin " +
                                               std::to_string(bin) + " is " + std::string(item) +
                                               " (it must be a finite value of 0 or more, in "
                                               "1/cm) - restore the shipped table");
                }
                table[bin] = value;
            }
            ++count;
        }
    }
    if (count < NUMBERS_PER_FILE) {
        throw DataError(SourcePosition{fileName, 0, 0},
                        "holds only " + std::to_string(count) + " numbers where " +
                            std::to_string(NUMBERS_PER_FILE) +
                            " are needed (300 records of energy and coefficient; the file is "
                            "short) - restore the complete table");
    }
    return table;
}

MaterialTables loadMaterialTables() {
    MaterialTables tables;
    tables.tungstenAttenuation = loadAttenuationTable(TUNGSTEN_TABLE_FILE);
    tables.aluminiumAttenuation = loadAttenuationTable(ALUMINIUM_TABLE_FILE);
    tables.copperAttenuation = loadAttenuationTable(COPPER_TABLE_FILE);
    tables.leadAttenuationGui = loadAttenuationTable(LEAD_TABLE_FILE);
    return tables;
}

}  // namespace korvana::app
