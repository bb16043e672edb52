#include "app/common/text_value.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace korvana::app {

namespace {

// Exponents beyond this are saturated; the value is then 0 or infinite anyway.
constexpr long long EXPONENT_LIMIT = 1000000000;

struct Scan {
    double value = 0.0;
    std::size_t used = 0;  //!< characters of the packed text that form the number
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexDigit(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string packed(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') result += c;
    }
    return result;
}

Scan scanRadix(const std::string& s, int radix) {
    Scan scan;
    std::size_t pos = 2;
    while (pos < s.size()) {
        const int digit = hexDigit(s[pos]);
        if (digit < 0 || digit >= radix) break;
        scan.value = scan.value * radix + digit;
        ++pos;
    }
    scan.used = pos > 2 ? pos : 0;
    return scan;
}

// Value of a mantissa whose conversion left the range of a double: infinite
// when its decimal magnitude is positive, otherwise 0.
double outOfRangeValue(const std::string& integerDigits, const std::string& fractionDigits,
                       long long exponent) {
    const std::size_t firstInteger = integerDigits.find_first_not_of('0');
    long long magnitude = 0;
    if (firstInteger != std::string::npos) {
        magnitude = static_cast<long long>(integerDigits.size() - firstInteger);
    } else {
        const std::size_t firstFraction = fractionDigits.find_first_not_of('0');
        if (firstFraction == std::string::npos) return 0.0;
        magnitude = -static_cast<long long>(firstFraction);
    }
    return magnitude + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

Scan scanDecimal(const std::string& s) {
    Scan scan;
    std::size_t pos = 0;
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
        negative = s[pos] == '-';
        ++pos;
    }
    std::string integerDigits;
    while (pos < s.size() && isDigit(s[pos])) integerDigits += s[pos++];
    std::string fractionDigits;
    if (pos < s.size() && s[pos] == '.') {
        ++pos;
        while (pos < s.size() && isDigit(s[pos])) fractionDigits += s[pos++];
    }
    if (integerDigits.empty() && fractionDigits.empty()) {
        return scan;  // no digits: not a number, value 0
    }
    std::string exponentText;
    long long exponent = 0;
    if (pos < s.size() && (s[pos] == 'E' || s[pos] == 'e')) {
        std::size_t look = pos + 1;
        bool exponentNegative = false;
        if (look < s.size() && (s[look] == '+' || s[look] == '-')) {
            exponentNegative = s[look] == '-';
            ++look;
        }
        if (look < s.size() && isDigit(s[look])) {
            while (look < s.size() && isDigit(s[look])) {
                exponent = std::min(exponent * 10 + (s[look] - '0'), EXPONENT_LIMIT);
                ++look;
            }
            if (exponentNegative) exponent = -exponent;
            exponentText = "e" + std::to_string(exponent);
            pos = look;
        }
    }
    scan.used = pos;

    // from_chars reads "." whatever the locale, which a text box needs.
    const std::string number =
        (integerDigits.empty() ? "0" : integerDigits) + "." + fractionDigits + exponentText;
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                              std::chars_format::general);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        value = outOfRangeValue(integerDigits, fractionDigits, exponent);
    }
    scan.value = negative ? -value : value;
    return scan;
}

Scan scanText(const std::string& s) {
    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h') return scanRadix(s, 16);
        if (s[1] == 'O' || s[1] == 'o') return scanRadix(s, 8);
    }
    return scanDecimal(s);
}

}  // namespace

double textValue(std::string_view text) { return scanText(packed(text)).value; }

bool isWholeNumber(std::string_view text) {
    const std::string s = packed(text);
    const Scan scan = scanText(s);
    return scan.used > 0 && scan.used == s.size();
}

}  // namespace korvana::app
