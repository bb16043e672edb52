// The summary plot's axes for any data: finite, wider than the numbers'
// resolution, and with a bounded number of ticks inside them.
#include "app/study/plot_axis.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace korvana::study {
namespace {

TEST(PlotAxis, TicksAreBoundedAndInsideTheAxisForAnyData) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::nan("");
    const std::vector<std::vector<double>> data = {
        {95, 95.00000000000001},  // nearly equal: the step once underflowed
        {95, 95},
        {0, 0},
        {-1e-310, 1e-310},
        {5e-324, 1e-323},
        {-DBL_MAX, DBL_MAX},
        {1e-300, 1e300},
        {1e-7, 1e-2},
        {nan, 1, inf},
        {nan},
        {},
        {0, 0.25, 0.35, 0.5},
    };
    for (const auto& values : data) {
        for (bool allowLog : {false, true}) {
            const Axis axis = fitAxis(values, allowLog);
            ASSERT_TRUE(std::isfinite(axis.low) && std::isfinite(axis.high)) << values.size();
            ASSERT_LT(axis.low, axis.high);
            const std::vector<double> ticks = axis.logarithmic ? logTicks(axis) : linearTicks(axis);
            EXPECT_LE(ticks.size(), MAX_TICKS);
            EXPECT_GE(ticks.size(), 2u) << axis.low << " to " << axis.high;
            for (double t : ticks) {
                EXPECT_TRUE(std::isfinite(axis.toUnit(t)));
                EXPECT_GE(axis.toUnit(t), -1e-6);
                EXPECT_LE(axis.toUnit(t), 1 + 1e-6);
            }
        }
    }
}

}  // namespace
}  // namespace korvana::study
