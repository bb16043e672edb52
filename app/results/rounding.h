// Rounding to a whole number with halves to even (2.5 to 2, 3.5 to 4), the
// rule of the viewers' index arithmetic, independent of the FPU rounding mode.
#pragma once

#include <cmath>

namespace korvana::app {

inline double roundHalfToEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5) return lower + 1.0;
    if (fraction < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

}  // namespace korvana::app
