#include "hvl_results.h"

#include <array>
#include <charconv>
#include <fstream>
#include <iterator>
#include <string_view>

namespace korvana::app {

namespace {

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n';
}

//! One free-format item; from_chars is locale independent but takes no '+'.
std::optional<double> parseItem(std::string_view item) {
    if (!item.empty() && item[0] == '+') item.remove_prefix(1);
    double value = 0;
    const auto [end, error] =
        std::from_chars(item.data(), item.data() + item.size(), value, std::chars_format::general);
    if (error != std::errc() || end != item.data() + item.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<HvlResults> readHvlResults(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    std::array<double, 5> values{};
    std::size_t count = 0;
    std::size_t pos = 0;
    while (count < values.size()) {
        while (pos < text.size() && isSeparator(text[pos])) ++pos;
        if (pos >= text.size()) return std::nullopt;
        std::size_t end = pos;
        while (end < text.size() && !isSeparator(text[end])) ++end;
        const auto value = parseItem(std::string_view(text).substr(pos, end - pos));
        if (!value) return std::nullopt;
        values[count++] = *value;
        pos = end;
    }
    return HvlResults{values[0], values[1], values[2], values[3], values[4]};
}

}  // namespace korvana::app
