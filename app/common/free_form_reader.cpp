#include "app/common/free_form_reader.h"

#include <charconv>
#include <cmath>
#include <string>

namespace korvana::app {

namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == ','; }

// One item as a double; D as the exponent letter is taken like E.
bool parseItem(std::string_view item, double& value) {
    std::string text(item);
    for (char& c : text) {
        if (c == 'D' || c == 'd') c = 'E';
    }
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;  // from_chars takes no plus sign
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    return error == std::errc() && end == last && std::isfinite(value);
}

}  // namespace

FreeFormReader::FreeFormReader(const TextLines& file, std::size_t firstLine)
    : m_file(file), m_line(firstLine) {
    m_last.fileName = file.fileName;
}

double FreeFormReader::next(std::string_view expectedWhat) {
    while (m_line < m_file.lines.size()) {
        const std::string& line = m_file.lines[m_line];
        while (m_column < line.size() && isSeparator(line[m_column])) ++m_column;
        if (m_column >= line.size()) {
            ++m_line;
            m_column = 0;
            continue;
        }
        const std::size_t start = m_column;
        while (m_column < line.size() && !isSeparator(line[m_column])) ++m_column;
        const std::string_view item(line.data() + start, m_column - start);
        m_last = SourcePosition{m_file.fileName, static_cast<int>(m_line) + 1,
                                static_cast<int>(start) + 1};
        double value = 0.0;
        if (!parseItem(item, value)) {
            throw DataError(m_last, quoteValue(item, '\'') + " where " + std::string(expectedWhat) +
                                        " should stand is not a number (the file is damaged "
                                        "or not of this kind) - use a complete file");
        }
        return value;
    }
    const SourcePosition end{m_file.fileName, static_cast<int>(m_file.lines.size()), 0};
    throw DataError(end, "unexpected end of file before " + std::string(expectedWhat) +
                             " (the file is short) - use a complete file");
}

}  // namespace korvana::app
