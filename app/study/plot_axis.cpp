#include "app/study/plot_axis.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace korvana::study {

namespace {

constexpr double PADDING = 0.05;              // of the data's range, at each end
constexpr double EQUAL_PADDING = 0.1;         // of the value, for data of one value
constexpr double RELATIVE_RESOLUTION = 1e-9;  // ranges narrower than this look equal

double clampFinite(double value) { return std::clamp(value, -DBL_MAX, DBL_MAX); }

}  // namespace

double Axis::toUnit(double value) const {
    if (logarithmic) {
        return (std::log10(value) - std::log10(low)) / (std::log10(high) - std::log10(low));
    }
    // Halves first: high - low may exceed the largest double.
    return (value / 2 - low / 2) / (high / 2 - low / 2);
}

Axis fitAxis(const std::vector<double>& values, bool allowLog) {
    Axis axis;
    std::vector<double> finite;
    for (double v : values) {
        if (std::isfinite(v)) finite.push_back(v);
    }
    if (finite.empty()) return axis;
    const auto [lowIt, highIt] = std::minmax_element(finite.begin(), finite.end());
    double low = *lowIt, high = *highIt;
    if (allowLog && low > 0 && high / low > 10) {
        const double decadeLow = std::pow(10.0, std::floor(std::log10(low)));
        const double decadeHigh = std::pow(10.0, std::ceil(std::log10(high)));
        if (decadeLow > 0 && std::isfinite(decadeHigh)) {
            axis.logarithmic = true;
            axis.low = decadeLow;
            axis.high = decadeHigh;
            return axis;
        }
    }
    const double magnitude = std::max(std::abs(low), std::abs(high));
    // Subnormal numbers have too few digits for a range of their own.
    if (magnitude < DBL_MIN || high / 2 - low / 2 <= magnitude * RELATIVE_RESOLUTION / 2) {
        const double centre = low / 2 + high / 2;
        const double pad = magnitude < DBL_MIN ? 1 : std::abs(centre) * EQUAL_PADDING;
        low = centre - pad;
        high = centre + pad;
    } else {
        const double pad = (high / 2 - low / 2) * 2 * PADDING;
        low = low >= 0 && low - pad < 0 ? 0 : low - pad;
        high += pad;
    }
    axis.low = clampFinite(low);
    axis.high = clampFinite(high);
    return axis;
}

std::vector<double> linearTicks(const Axis& axis) {
    if (!(std::isfinite(axis.low) && std::isfinite(axis.high) && axis.high > axis.low)) return {};
    const double raw = (axis.high / 6 - axis.low / 6);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double factor : {2.0, 5.0, 10.0}) {
        if (step < raw) step = power * factor;
    }
    if (!(step > 0) || !std::isfinite(step)) return {};
    const double first = std::ceil(axis.low / step - 1e-9) * step;
    std::vector<double> ticks;
    for (std::size_t n = 0; n < MAX_TICKS; ++n) {
        const double t = first + static_cast<double>(n) * step;
        if (!std::isfinite(t) || t > axis.high + std::abs(axis.high) * 1e-9) break;
        // A step below the numbers' resolution would repeat a value.
        if (!ticks.empty() && !(t > ticks.back())) break;
        ticks.push_back(std::abs(t) < step * 1e-9 ? 0.0 : t);
    }
    return ticks;
}

std::vector<double> logTicks(const Axis& axis) {
    if (!(axis.low > 0 && std::isfinite(axis.high) && axis.high > axis.low)) return {};
    const int first = static_cast<int>(std::floor(std::log10(axis.low)));
    const int last = static_cast<int>(std::ceil(std::log10(axis.high)));
    const bool fine = last - first <= 2;
    // Every decade while they fit, every second, third ... when they do not.
    const int stride = std::max(1, (last - first) / static_cast<int>(MAX_TICKS) + 1);
    std::vector<double> ticks;
    for (int decade = first; decade <= last; decade += stride) {
        for (double m : fine ? std::vector<double>{1, 2, 5} : std::vector<double>{1}) {
            const double t = m * std::pow(10.0, decade);
            if (t >= axis.low * (1 - 1e-9) && t <= axis.high * (1 + 1e-9) &&
                ticks.size() < MAX_TICKS) {
                ticks.push_back(t);
            }
        }
    }
    return ticks;
}

}  // namespace korvana::study
