#include "common/engine_texts.h"

#include <cctype>

#include "common/record_format.h"
#include "common/record_writer.h"

namespace korvana {

std::string engineProgressLine(int bin, int lastBinPlusOne) {
    static const RecordFormat format("(' ',I3,' / ',I3)");
    return RecordWriter(format).integer(bin).integer(lastBinPlusOne).line().substr(1);
}

namespace {

void skipBlanks(std::string_view text, std::size_t& at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
}

//! Digits from `at`; false when there are none or too many for an int.
bool readNumber(std::string_view text, std::size_t& at, int& value) {
    const std::size_t first = at;
    value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        if (at - first >= 9) return false;
        value = value * 10 + (text[at] - '0');
        ++at;
    }
    return at > first;
}

}  // namespace

std::optional<int> engineProgressBin(std::string_view line) {
    std::size_t at = 0;
    int bin = 0, last = 0;
    skipBlanks(line, at);
    if (!readNumber(line, at, bin)) return std::nullopt;
    skipBlanks(line, at);
    if (at >= line.size() || line[at] != '/') return std::nullopt;
    ++at;
    skipBlanks(line, at);
    if (!readNumber(line, at, last)) return std::nullopt;
    skipBlanks(line, at);
    if (at != line.size()) return std::nullopt;
    return bin;
}

}  // namespace korvana
