#include "common/data_error.h"

namespace korvana {

std::string describePosition(const SourcePosition& where) {
    std::string text;
    if (!where.fileName.empty()) {
        text = where.fileName;
        if (where.line > 0) {
            text += ':';
            text += std::to_string(where.line);
            if (where.column > 0) {
                text += ':';
                text += std::to_string(where.column);
            }
        } else if (where.column > 0) {
            text += ", column " + std::to_string(where.column);
        }
    } else if (where.line > 0) {
        // Console input has no file name; spell the position out instead.
        text = "line " + std::to_string(where.line);
        if (where.column > 0) {
            text += ", column " + std::to_string(where.column);
        }
    } else if (where.column > 0) {
        text = "column " + std::to_string(where.column);
    }
    return text.empty() ? text : text + ": ";
}

DataError::DataError(const SourcePosition& where, const std::string& problem)
    : std::runtime_error(describePosition(where) + problem), m_where(where), m_problem(problem) {}

DataError::DataError(const std::string& problem)
    : std::runtime_error(problem), m_problem(problem) {}

namespace {

// The length of the UTF-8 sequence at `text[at]` and its code point; 0 when
// the bytes there are not well-formed UTF-8.
std::size_t utf8Sequence(std::string_view text, std::size_t at, char32_t& codePoint) {
    const auto byte = [&](std::size_t n) { return static_cast<unsigned char>(text[at + n]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t n = 1; n < length; ++n) {
        if ((byte(n) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(n) & 0x3F);
    }
    const char32_t shortest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (codePoint < shortest || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

// Control characters, and the marks that reorder or break the text shown
// around them.
bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x200E || c == 0x200F ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

std::string hex(unsigned value, int digits) {
    static const char* const HEX = "0123456789ABCDEF";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int n = digits - 1; n >= 0; --n, value >>= 4)
        text[static_cast<std::size_t>(n)] = HEX[value & 15];
    return text;
}

}  // namespace

std::string quoteValue(std::string_view value, char mark) {
    std::string text(1, mark);
    std::size_t characters = 0;
    std::size_t at = 0;
    while (at < value.size() && characters < QUOTED_VALUE_CHARACTERS) {
        char32_t c = 0;
        const std::size_t length = utf8Sequence(value, at, c);
        if (length == 0) {
            text += "\\x" + hex(static_cast<unsigned char>(value[at]), 2);
            at += 1;
        } else {
            if (c == '\n') {
                text += "\\n";
            } else if (c == '\r') {
                text += "\\r";
            } else if (c == '\t') {
                text += "\\t";
            } else if (c == static_cast<unsigned char>(mark) || c == '\\') {
                text += '\\';
                text += static_cast<char>(c);
            } else if (isControl(c)) {
                text += c < 0x100 ? "\\x" + hex(c, 2) : "\\u" + hex(c, 4);
            } else {
                text.append(value, at, length);
            }
            at += length;
        }
        ++characters;
    }
    if (at < value.size()) {
        text += "...";
        text += mark;
        text += " (" + std::to_string(value.size()) + " bytes in all)";
        return text;
    }
    return text + mark;
}

}  // namespace korvana
