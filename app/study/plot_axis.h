// The axes of the summary plot: the range fitted to the data and the ticks.
//
// Every axis is finite and wider than the resolution of its numbers, whatever
// the data: values that are equal, equal but for their last bits (95 and
// 95.00000000000001) or all zero get an axis padded around them, values that
// are not finite are left out, and values near the largest double keep a
// finite axis. Ticks are at 1, 2 or 5 times a power of ten (linear) or at
// powers of ten (logarithmic), never more than MAX_TICKS of them.
#pragma once

#include <cstddef>
#include <vector>

namespace korvana::study {

inline constexpr std::size_t MAX_TICKS = 12;

struct Axis {
    double low = 0, high = 1;
    bool logarithmic = false;
    //! 0 at `low`, 1 at `high`.
    double toUnit(double value) const;
};

//! The axis of `values`; logarithmic when `allowLog` and the positive values
//! span more than a decade.
Axis fitAxis(const std::vector<double>& values, bool allowLog);

//! Ticks within the axis, in ascending order, at most MAX_TICKS.
std::vector<double> linearTicks(const Axis& axis);
std::vector<double> logTicks(const Axis& axis);

}  // namespace korvana::study
