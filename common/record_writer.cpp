#include "common/record_writer.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace korvana {

namespace {

// Longs are 64 bits on every target; values beyond this cannot be rounded into one.
constexpr double LONG_RANGE = 9.0e18;

std::string overflow(int width) { return std::string(static_cast<std::size_t>(width), '*'); }

std::string rightAligned(const std::string& text, int width) {
    if (static_cast<int>(text.size()) > width) {
        return overflow(width);
    }
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

// printf into a string of whatever length the conversion needs (%f of 1e300 is long).
std::string printed(const char* pattern, int precision, double value) {
    const int length = std::snprintf(nullptr, 0, pattern, precision, value);
    assert(length > 0);
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    std::snprintf(buffer.data(), buffer.size(), pattern, precision, value);
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

bool allZeroDigits(const std::string& text) {
    return text.find_first_of("123456789") == std::string::npos;
}

}  // namespace

std::string formatFixed(double value, int width, int decimals) {
    assert(width > 0 && decimals >= 0);
    if (!std::isfinite(value)) {
        return overflow(width);
    }
    // %f rounds the exact binary value to nearest, which is the rounding the files need.
    std::string body = printed("%.*f", decimals, std::fabs(value));
    // A value that rounds to zero is written unsigned.
    const bool negative = std::signbit(value) && !allZeroDigits(body);
    if (decimals == 0) {
        body += '.';
    } else if (body[0] == '0') {
        body.erase(0, 1);  // no digit before the point below 1
    }
    return rightAligned(negative ? "-" + body : body, width);
}

std::string formatExponent(double value, int width, int decimals) {
    assert(width > 0 && decimals >= 1);
    if (!std::isfinite(value)) {
        return overflow(width);
    }
    std::string digits;
    int exponent = 0;
    const bool negative = value < 0.0;
    if (value == 0.0) {
        digits.assign(static_cast<std::size_t>(decimals), '0');
    } else {
        // %e gives d.ddd with correct rounding, carry included; the point then
        // moves one place left, which raises the exponent by one.
        const std::string scientific = printed("%.*e", decimals - 1, std::fabs(value));
        const std::size_t e = scientific.find('e');
        assert(e != std::string::npos);
        for (std::size_t i = 0; i < e; ++i) {
            if (scientific[i] != '.') {
                digits += scientific[i];
            }
        }
        exponent = std::atoi(scientific.c_str() + e + 1) + 1;
    }
    const int magnitude = std::abs(exponent);
    std::string exponentText = exponent < 0 ? "-" : "+";
    if (magnitude > 99) {
        exponentText += std::to_string(magnitude);  // three digits take the place of the E
    } else {
        exponentText = "E" + exponentText + (magnitude < 10 ? "0" : "") + std::to_string(magnitude);
    }
    return rightAligned((negative ? "-." : ".") + digits + exponentText, width);
}

std::string formatInteger(long value, int width) {
    assert(width > 0);
    return rightAligned(std::to_string(value), width);
}

RecordWriter::RecordWriter(const RecordFormat& format) : m_format(format) {}

void RecordWriter::emitLayoutItems() {
    const std::vector<FormatItem>& items = m_format.items();
    while (m_item < items.size() && !carriesValue(items[m_item].kind)) {
        const FormatItem& item = items[m_item++];
        if (item.kind == FieldKind::Literal) {
            m_line += item.literal;
        } else {
            m_line.append(static_cast<std::size_t>(item.width), ' ');
        }
    }
}

const FormatItem& RecordWriter::nextValueItem() {
    emitLayoutItems();
    if (m_item >= m_format.items().size()) {
        throw std::logic_error("more values written than format " + m_format.text() +
                               " has fields");
    }
    return m_format.items()[m_item++];
}

RecordWriter& RecordWriter::real(double value) {
    const FormatItem& item = nextValueItem();
    switch (item.kind) {
        case FieldKind::Fixed:
            m_line += formatFixed(value, item.width, item.decimals);
            break;
        case FieldKind::Exponent:
            m_line += formatExponent(value, item.width, item.decimals);
            break;
        case FieldKind::Integer:
            m_line += std::isfinite(value) && std::fabs(value) < LONG_RANGE
                          ? formatInteger(std::lround(value), item.width)
                          : overflow(item.width);
            break;
        default:
            throw std::logic_error("a number given for an A field of format " + m_format.text());
    }
    return *this;
}

RecordWriter& RecordWriter::integer(long value) {
    const FormatItem& item = nextValueItem();
    switch (item.kind) {
        case FieldKind::Integer:
            m_line += formatInteger(value, item.width);
            break;
        case FieldKind::Fixed:
            m_line += formatFixed(static_cast<double>(value), item.width, item.decimals);
            break;
        case FieldKind::Exponent:
            m_line += formatExponent(static_cast<double>(value), item.width, item.decimals);
            break;
        default:
            throw std::logic_error("a number given for an A field of format " + m_format.text());
    }
    return *this;
}

RecordWriter& RecordWriter::text(std::string_view value) {
    const FormatItem& item = nextValueItem();
    if (item.kind != FieldKind::Text) {
        throw std::logic_error("text given for a numeric field of format " + m_format.text());
    }
    if (item.width == 0) {
        m_line += value;
    } else {
        const auto width = static_cast<std::size_t>(item.width);
        if (value.size() >= width) {
            m_line += value.substr(0, width);
        } else {
            m_line.append(width - value.size(), ' ');
            m_line += value;
        }
    }
    return *this;
}

std::string RecordWriter::line() {
    emitLayoutItems();
    if (m_item < m_format.items().size()) {
        throw std::logic_error("line() of format " + m_format.text() +
                               " called before all its fields were given");
    }
    return m_line;
}

}  // namespace korvana
