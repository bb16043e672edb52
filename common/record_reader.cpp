#include "common/record_reader.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace korvana {

namespace {

// Exponents beyond this are saturated; the result is then 0 or out of range anyway.
constexpr long long EXPONENT_LIMIT = 1000000000;

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

std::string withoutBlanks(std::string_view field) {
    std::string packed;
    packed.reserve(field.size());
    for (char c : field) {
        if (c != ' ') {
            packed += c;
        }
    }
    return packed;
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string quoted(char c) {
    if (std::isprint(static_cast<unsigned char>(c))) {
        return "'" + std::string(1, c) + "'";
    }
    static const char* const HEX = "0123456789ABCDEF";
    const auto code = static_cast<unsigned char>(c);
    return std::string("character 0x") + HEX[code >> 4] + HEX[code & 15];
}

// Converts the text of a numeric field to the float nearest to its decimal value.
// The digits and the decimal exponent are gathered into "[-]digitsE<exp>" and
// handed to strtof in one step, so the value is rounded once; going through
// double first would round twice and can miss the nearest float. The string
// has no decimal point, so the locale's radix character cannot interfere.
// Returns an empty string on success, otherwise why the text is not a number.
std::string convertReal(std::string_view field, int impliedDecimals, float& value) {
    const std::string s = withoutBlanks(field);
    const std::size_t n = s.size();
    if (n == 0) {
        value = 0.0f;
        return {};
    }
    std::size_t i = 0;
    bool negative = false;
    if (s[i] == '+' || s[i] == '-') {
        negative = s[i] == '-';
        ++i;
    }
    std::string digits;
    long long fractionDigits = 0;
    bool point = false;
    bool anyDigit = false;
    for (; i < n; ++i) {
        const char c = s[i];
        if (isDigit(c)) {
            anyDigit = true;
            if (!digits.empty() || c != '0') {
                digits += c;
            }
            if (point) {
                ++fractionDigits;
            }
        } else if (c == '.') {
            if (point) {
                return "a second decimal point";
            }
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit) {
        return i < n ? "no digits before " + quoted(s[i]) : "no digits";
    }
    long long exponent = 0;
    if (i < n) {
        const char c = s[i];
        if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
            ++i;
        } else if (c != '+' && c != '-') {
            return "unexpected " + quoted(c);
        }
        bool negativeExponent = false;
        if (i < n && (s[i] == '+' || s[i] == '-')) {
            negativeExponent = s[i] == '-';
            ++i;
        }
        if (i == n || !isDigit(s[i])) {
            return "an exponent without digits";
        }
        for (; i < n && isDigit(s[i]); ++i) {
            exponent = std::min(exponent * 10 + (s[i] - '0'), EXPONENT_LIMIT);
        }
        if (i < n) {
            return "unexpected " + quoted(s[i]) + " after the exponent";
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    if (digits.empty()) {
        value = negative ? -0.0f : 0.0f;
        return {};
    }
    const long long scale = exponent - fractionDigits - (point ? 0 : impliedDecimals);
    const std::string normalised = (negative ? "-" : "") + digits + "e" + std::to_string(scale);
    char* end = nullptr;
    const float converted = std::strtof(normalised.c_str(), &end);
    assert(end == normalised.c_str() + normalised.size());
    if (std::isinf(converted)) {
        return "beyond the range of single precision";
    }
    value = converted;
    return {};
}

// Returns an empty string on success, otherwise why the text is not an integer.
std::string convertInteger(std::string_view field, long& value) {
    const std::string s = withoutBlanks(field);
    const std::size_t n = s.size();
    if (n == 0) {
        value = 0;
        return {};
    }
    std::size_t i = 0;
    const bool negative = s[0] == '-';
    if (s[0] == '+' || s[0] == '-') {
        ++i;
    }
    if (i == n) {
        return "a sign without digits";
    }
    // Accumulated negatively so that LONG_MIN itself is representable.
    long magnitude = 0;
    for (; i < n; ++i) {
        if (!isDigit(s[i])) {
            return s[i] == '.' ? "a decimal point in an integer field"
                               : "unexpected " + quoted(s[i]);
        }
        const int digit = s[i] - '0';
        if (magnitude < (LONG_MIN + digit) / 10) {
            return "beyond the integer range";
        }
        magnitude = magnitude * 10 - digit;
    }
    if (!negative && magnitude == LONG_MIN) {
        return "beyond the integer range";
    }
    value = negative ? magnitude : -magnitude;
    return {};
}

std::string columnRange(int first, int width) {
    return "columns " + std::to_string(first) + "-" + std::to_string(first + width - 1);
}

SourcePosition atColumn(const SourcePosition& where, int column) {
    SourcePosition position = where;
    position.column = column;
    return position;
}

// The characters of a numeric field starting at column `first`; a field cut by
// the line end is what is present, one wholly beyond it means a missing value.
std::string_view numericField(std::string_view line, int first, const FormatItem& item,
                              const RecordFormat& format, const SourcePosition& where) {
    const auto start = static_cast<std::size_t>(first - 1);
    if (start >= line.size()) {
        throw DataError(atColumn(where, first),
                        "line too short: the field in " + columnRange(first, item.width) +
                            " is missing (the line has " + std::to_string(line.size()) +
                            " characters; format " + format.text() +
                            ") - complete the line or regenerate the file");
    }
    return line.substr(start, static_cast<std::size_t>(item.width));
}

}  // namespace

RecordReader::RecordReader(const RecordFormat& format, std::string_view line, SourcePosition where)
    : m_format(format), m_line(line), m_where(std::move(where)) {}

const FormatItem& RecordReader::nextValueItem() {
    const std::vector<FormatItem>& items = m_format.items();
    while (m_item < items.size()) {
        const FormatItem& item = items[m_item++];
        if (carriesValue(item.kind)) {
            return item;
        }
        m_column += item.width;  // literals on input are passed over like blanks
    }
    throw std::logic_error("record format " + m_format.text() + " has no further value field");
}

float RecordReader::readReal() {
    const FormatItem& item = nextValueItem();
    if (item.kind == FieldKind::Text) {
        throw std::logic_error("readReal on an A field of format " + m_format.text());
    }
    const int first = m_column;
    const std::string_view field = numericField(m_line, first, item, m_format, m_where);
    m_column += item.width;
    std::string why;
    float value = 0.0f;
    if (item.kind == FieldKind::Integer) {
        long whole = 0;
        why = convertInteger(field, whole);
        value = static_cast<float>(whole);
    } else {
        why = convertReal(field, item.decimals, value);
    }
    if (!why.empty()) {
        throw DataError(atColumn(m_where, first), "field " + quoteValue(trimmed(field), '\'') +
                                                      " in " + columnRange(first, item.width) +
                                                      " is not a number (" + why + "; format " +
                                                      m_format.text() +
                                                      ") - correct the file or regenerate it");
    }
    return value;
}

long RecordReader::readInteger() {
    const FormatItem& item = nextValueItem();
    if (item.kind != FieldKind::Integer) {
        throw std::logic_error("readInteger on a field other than I of format " + m_format.text());
    }
    const int first = m_column;
    const std::string_view field = numericField(m_line, first, item, m_format, m_where);
    m_column += item.width;
    long value = 0;
    const std::string why = convertInteger(field, value);
    if (!why.empty()) {
        throw DataError(atColumn(m_where, first), "field " + quoteValue(trimmed(field), '\'') +
                                                      " in " + columnRange(first, item.width) +
                                                      " is not an integer (" + why + "; format " +
                                                      m_format.text() +
                                                      ") - correct the file or regenerate it");
    }
    return value;
}

std::string RecordReader::readText() {
    const FormatItem& item = nextValueItem();
    if (item.kind != FieldKind::Text) {
        throw std::logic_error("readText on a numeric field of format " + m_format.text());
    }
    const std::size_t start = static_cast<std::size_t>(m_column - 1);
    const std::string_view rest = start < m_line.size() ? m_line.substr(start) : std::string_view{};
    if (item.width == 0) {
        // A bare A takes the rest of the line.
        m_column += static_cast<int>(rest.size());
        return std::string(rest);
    }
    std::string text(rest.substr(0, static_cast<std::size_t>(item.width)));
    text.resize(static_cast<std::size_t>(item.width), ' ');
    m_column += item.width;
    return text;
}

std::vector<float> readReals(const RecordFormat& format, std::string_view line,
                             const SourcePosition& where) {
    for (const FormatItem& item : format.items()) {
        if (item.kind == FieldKind::Text) {
            throw std::logic_error("readReals with format " + format.text() +
                                   ", which has an A field");
        }
    }
    RecordReader reader(format, line, where);
    std::vector<float> values;
    const int count = format.valueFieldCount();
    values.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        values.push_back(reader.readReal());
    }
    return values;
}

float parseFixedReal(std::string_view field, int impliedDecimals, const SourcePosition& where) {
    float value = 0.0f;
    const std::string why = convertReal(field, impliedDecimals, value);
    if (!why.empty()) {
        throw DataError(where, "field " + quoteValue(trimmed(field), '\'') + " is not a number (" +
                                   why + ") - correct the file or regenerate it");
    }
    return value;
}

long parseFixedInteger(std::string_view field, const SourcePosition& where) {
    long value = 0;
    const std::string why = convertInteger(field, value);
    if (!why.empty()) {
        throw DataError(where, "field " + quoteValue(trimmed(field), '\'') +
                                   " is not an integer (" + why +
                                   ") - correct the file or regenerate it");
    }
    return value;
}

bool parseFreeReal(std::string_view line, const SourcePosition& where, float& value) {
    const auto isSeparator = [](char c) { return c == ' ' || c == '\t' || c == ',' || c == '/'; };
    std::size_t start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) {
        ++start;
    }
    if (start == line.size()) {
        return false;
    }
    const int column = static_cast<int>(start) + 1;
    if (line[start] == ',' || line[start] == '/') {
        throw DataError(atColumn(where, column),
                        "no number before '" + std::string(1, line[start]) +
                            "' (a real value is expected first on the line) - "
                            "write the number at the start of the line");
    }
    std::size_t end = start;
    while (end < line.size() && !isSeparator(line[end])) {
        ++end;
    }
    const std::string_view item = line.substr(start, end - start);
    float parsed = 0.0f;
    const std::string why = convertReal(item, 0, parsed);
    if (!why.empty()) {
        throw DataError(atColumn(where, column),
                        quoteValue(item, '\'') + " is not a number (" + why +
                            ") - write a real number such as 20.0 or 2.0E+01");
    }
    value = parsed;
    return true;
}

}  // namespace korvana
