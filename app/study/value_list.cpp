#include "app/study/value_list.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <set>

#include "common/data_error.h"

namespace korvana::study {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

std::string quoted(std::string_view text) { return quoteValue(text); }

// 12 significant digits hide the binary rounding of start + i x step.
std::string rangeValueText(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.12g", value);
    std::string text = buffer;
    return text == "-0" ? "0" : text;
}

std::vector<std::string> expandRange(std::string_view item, std::string_view option) {
    const std::vector<std::string_view> parts = split(item, ':');
    if (parts.size() != 3) {
        throw DataError("the range " + quoted(item) + " of --" + std::string(option) +
                        " does not have three parts (a range is start:stop:step) - write it "
                        "as in 60:100:20");
    }
    const double start = strictNumber(parts[0], option);
    const double stop = strictNumber(parts[1], option);
    const double step = strictNumber(parts[2], option);
    if (step == 0.0) {
        throw DataError("the range " + quoted(item) + " of --" + std::string(option) +
                        " has a zero step (it would never reach its stop) - give a step other "
                        "than 0");
    }
    if ((stop - start) / step < 0.0) {
        throw DataError("the range " + quoted(item) + " of --" + std::string(option) +
                        " has a step pointing away from its stop - give the step the sign of "
                        "stop - start");
    }
    // The stop counts as reached when it is within a millionth of a step.
    const double steps = std::floor((stop - start) / step + 1e-6);
    if (!(steps < static_cast<double>(MAX_RANGE_VALUES))) {
        throw DataError("the range " + quoted(item) + " of --" + std::string(option) +
                        " gives more than " + std::to_string(MAX_RANGE_VALUES) +
                        " values - check its step");
    }
    std::vector<std::string> values;
    for (long long i = 0; i <= static_cast<long long>(steps); ++i) {
        values.push_back(rangeValueText(start + static_cast<double>(i) * step));
    }
    return values;
}

void refuseRepeats(const std::vector<std::string>& values, std::string_view option,
                   double (*valueOf)(const std::string&, std::string_view)) {
    std::set<double> seen;
    for (const std::string& value : values) {
        if (!seen.insert(valueOf(value, option)).second) {
            throw DataError("--" + std::string(option) + " lists " + quoted(value) +
                            " twice (each condition runs once) - list each value once");
        }
    }
}

double numberOf(const std::string& text, std::string_view option) {
    return strictNumber(text, option);
}

// Square fields of the same size and long x short pairs are compared by their
// two sides; the long side weighs far more so that the key is unique.
double fieldKey(const std::string& text, std::string_view option) {
    const std::size_t cross = text.find('x');
    return strictNumber(text.substr(0, cross), option) * 1e9 +
           strictNumber(text.substr(cross + 1), option);
}

void refuseEmpty(std::string_view item, std::string_view text, std::string_view option) {
    if (item.empty()) {
        throw DataError("--" + std::string(option) + " " + quoted(text) +
                        " has an empty item (nothing between two commas or at an end) - "
                        "write values separated by single commas");
    }
}

}  // namespace

double strictNumber(std::string_view text, std::string_view option) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                              std::chars_format::general);
    const bool plain = digits.find_first_of("nNiI") == std::string_view::npos;  // no nan, inf
    if (digits.empty() || !plain || error != std::errc() || end != digits.data() + digits.size() ||
        !std::isfinite(value)) {
        throw DataError("the value " + quoted(text) + " of --" + std::string(option) +
                        " is not a number - write a number such as 1.5, a list such as "
                        "0,0.25,0.5 or a range such as 60:100:20");
    }
    return value;
}

std::vector<std::string> expandNumberList(std::string_view text, std::string_view option) {
    std::vector<std::string> values;
    for (std::string_view item : split(text, ',')) {
        refuseEmpty(item, text, option);
        if (item.find(':') != std::string_view::npos) {
            for (std::string& value : expandRange(item, option)) values.push_back(value);
        } else {
            strictNumber(item, option);
            values.emplace_back(item);
        }
    }
    refuseRepeats(values, option, numberOf);
    return values;
}

std::vector<std::string> expandFieldList(std::string_view text, std::string_view option) {
    std::vector<std::string> values;
    for (std::string_view item : split(text, ',')) {
        refuseEmpty(item, text, option);
        if (const std::size_t cross = item.find('x'); cross != std::string_view::npos) {
            strictNumber(item.substr(0, cross), option);
            strictNumber(item.substr(cross + 1), option);
            values.emplace_back(item);
            continue;
        }
        for (const std::string& side : expandNumberList(item, option)) {
            values.push_back(side + "x" + side);
        }
    }
    refuseRepeats(values, option, fieldKey);
    return values;
}

std::vector<std::string> expandWordList(std::string_view text, std::string_view option,
                                        const std::vector<std::string>& words) {
    std::vector<std::string> values;
    std::set<std::string_view> seen;
    for (std::string_view item : split(text, ',')) {
        refuseEmpty(item, text, option);
        bool known = false;
        for (const std::string& word : words) known = known || item == word;
        if (!known) {
            std::string choices;
            for (const std::string& word : words) choices += (choices.empty() ? "" : ", ") + word;
            throw DataError("--" + std::string(option) + " " + quoted(item) + " is not one of " +
                            choices + " - give one of them or a list of them");
        }
        if (!seen.insert(item).second) {
            throw DataError("--" + std::string(option) + " lists " + quoted(item) +
                            " twice (each condition runs once) - list each value once");
        }
        values.emplace_back(item);
    }
    return values;
}

}  // namespace korvana::study
