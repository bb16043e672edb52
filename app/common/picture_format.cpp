#include "app/common/picture_format.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvana::app {

namespace {

// Enough digits after the point for printf to write any double exactly, so the
// rounding below sees the true binary value and never a rounded print of it.
constexpr int EXACT_DIGITS = 1100;

struct Picture {
    std::string integerPart;  //!< 0 and # before the point
    bool hasPoint = false;
    std::string fractionPart;  //!< 0 and # after the point
    bool hasExponent = false;
    char exponentLetter = 'E';
    bool exponentPlusShown = false;  //!< "E+": the sign is always written
    int exponentDigits = 0;          //!< minimum digits of the exponent
};

[[noreturn]] void badPicture(std::string_view picture) {
    throw std::invalid_argument("unsupported format picture \"" + std::string(picture) + "\"");
}

bool isDigitPosition(char c) { return c == '0' || c == '#'; }

Picture parsePicture(std::string_view text) {
    Picture picture;
    std::size_t pos = 0;
    while (pos < text.size() && isDigitPosition(text[pos])) picture.integerPart += text[pos++];
    if (pos < text.size() && text[pos] == '.') {
        picture.hasPoint = true;
        ++pos;
        while (pos < text.size() && isDigitPosition(text[pos])) {
            picture.fractionPart += text[pos++];
        }
    }
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
        picture.hasExponent = true;
        picture.exponentLetter = text[pos++];
        if (pos >= text.size() || (text[pos] != '+' && text[pos] != '-')) badPicture(text);
        picture.exponentPlusShown = text[pos++] == '+';
        while (pos < text.size() && isDigitPosition(text[pos])) {
            if (text[pos] == '0') ++picture.exponentDigits;
            ++pos;
        }
    }
    if (pos != text.size() || picture.integerPart.size() + picture.fractionPart.size() == 0) {
        badPicture(text);
    }
    return picture;
}

std::string printed(const char* pattern, double value) {
    const int length = std::snprintf(nullptr, 0, pattern, EXACT_DIGITS, value);
    assert(length > 0);
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    std::snprintf(buffer.data(), buffer.size(), pattern, EXACT_DIGITS, value);
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

// Keeps the first `kept` digits of the exact digit string `digits`, rounding
// half away from zero. Returns true when the rounding carried into a new
// leading digit (999.6 to 1000), which then stands in front of the kept digits.
bool roundDigits(std::string& digits, std::size_t kept) {
    const bool up = kept < digits.size() && digits[kept] >= '5';
    digits.resize(kept, '0');
    if (!up) return false;
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
    return true;
}

std::string integerText(std::string digits, const std::string& integerPicture) {
    const std::size_t first = digits.find_first_not_of('0');
    digits = first == std::string::npos ? std::string() : digits.substr(first);
    std::size_t mandatory = 0;
    for (char c : integerPicture) mandatory += c == '0' ? 1 : 0;
    if (digits.size() < mandatory) digits.insert(0, mandatory - digits.size(), '0');
    return digits;
}

std::string fractionText(std::string digits, const std::string& fractionPicture) {
    // Trailing zeros are dropped where the picture has # and only there.
    while (!digits.empty() && fractionPicture[digits.size() - 1] == '#' && digits.back() == '0') {
        digits.pop_back();
    }
    return digits;
}

bool anyNonZero(const std::string& digits) {
    return digits.find_first_of("123456789") != std::string::npos;
}

std::string signed_(bool negative, const std::string& integerDigits,
                    const std::string& fractionDigits, const std::string& body) {
    const bool nonZero = anyNonZero(integerDigits) || anyNonZero(fractionDigits);
    return negative && nonZero ? "-" + body : body;
}

std::string formatFixedPicture(double value, const Picture& picture) {
    const std::string exact = printed("%.*f", std::fabs(value));
    const std::size_t point = exact.find('.');
    std::string integerDigits = exact.substr(0, point);
    std::string digits = integerDigits + exact.substr(point + 1);
    if (roundDigits(digits, integerDigits.size() + picture.fractionPart.size())) {
        integerDigits += '0';
    }
    integerDigits = digits.substr(0, integerDigits.size());
    const std::string fractionDigits = digits.substr(integerDigits.size());

    std::string body = integerText(integerDigits, picture.integerPart);
    if (picture.hasPoint) body += "." + fractionText(fractionDigits, picture.fractionPart);
    return signed_(value < 0.0, integerDigits, fractionDigits, body);
}

std::string formatExponentPicture(double value, const Picture& picture) {
    const std::size_t integerPlaces = picture.integerPart.size();
    const std::size_t significant = integerPlaces + picture.fractionPart.size();
    std::string digits(significant, '0');
    long exponent = 0;  // of the first significant digit: value = d.ddd x 10^exponent
    if (value != 0.0) {
        const std::string exact = printed("%.*e", std::fabs(value));
        const std::size_t e = exact.find('e');
        digits.clear();
        for (std::size_t i = 0; i < e; ++i) {
            if (exact[i] != '.') digits += exact[i];
        }
        exponent = std::strtol(exact.c_str() + e + 1, nullptr, 10);
        if (roundDigits(digits, significant)) {
            digits.pop_back();
            ++exponent;
        }
    }
    // The mantissa shows `integerPlaces` digits before its point.
    const long shownExponent = value == 0.0 ? 0 : exponent - static_cast<long>(integerPlaces) + 1;
    const std::string integerDigits = digits.substr(0, integerPlaces);
    const std::string fractionDigits = digits.substr(integerPlaces);

    std::string body = integerText(integerDigits, picture.integerPart);
    if (picture.hasPoint) body += "." + fractionText(fractionDigits, picture.fractionPart);
    body += picture.exponentLetter;
    if (shownExponent < 0) {
        body += '-';
    } else if (picture.exponentPlusShown) {
        body += '+';
    }
    std::string exponentDigits = std::to_string(std::labs(shownExponent));
    if (exponentDigits.size() < static_cast<std::size_t>(picture.exponentDigits)) {
        exponentDigits.insert(0, picture.exponentDigits - exponentDigits.size(), '0');
    }
    body += exponentDigits;
    return signed_(value < 0.0, integerDigits, fractionDigits, body);
}

}  // namespace

std::string formatPicture(double value, std::string_view pictureText) {
    const Picture picture = parsePicture(pictureText);
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity");
    }
    return picture.hasExponent ? formatExponentPicture(value, picture)
                               : formatFixedPicture(value, picture);
}

}  // namespace korvana::app
