// The browser's spectrum plot as numbers: curve points in the plot's user
// coordinates (869 x 565 units, origin top left, y down), the angle chosen by
// the angle box, the legend places and the drawing colours.
//
// Bin i is drawn at x = 100 + 2.5 i (0 keV at x = 100, 150 keV at x = 850) and
// a relative value v at y = 510 - 500 v (1 at y = 10), inside the frame
// (100, 10) - (850, 510).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/common/colour.h"
#include "app/results/result_set.h"

namespace korvana::app {

inline constexpr double PLOT_LEFT = 100.0;
inline constexpr double PLOT_TOP = 10.0;
inline constexpr double PLOT_RIGHT = 850.0;
inline constexpr double PLOT_BOTTOM = 510.0;

constexpr double plotX(int bin) { return PLOT_LEFT + 2.5 * bin; }
constexpr double plotY(double relative) { return PLOT_BOTTOM - 500.0 * relative; }

struct PlotPoint {
    double x = 0.0;
    double y = 0.0;
};

//! A curve: the pen starts at (100, 510) and is drawn through the 300 bins.
using PlotCurve = std::vector<PlotPoint>;

//! A legend entry: a line from (600, lineY) to (690, lineY), the text at (700, textY).
struct PlotLegend {
    double lineY = 0.0;
    double textY = 0.0;
    std::string text;
};

//! The primary spectrum, black, with its legend "Primary" (line at y = 65).
PlotCurve primaryCurve(const ResultSet& set);
PlotLegend primaryLegend();

//! How scattered curves are scaled (the check box "散乱線 最大値で正規化").
enum class ScatterScale {
    OwnPeak,      //!< each angle relative to its own maximum (unticked)
    LargestPeak,  //!< every angle relative to the file's largest scattered spectrum (ticked)
};

//! What plotting the scattered spectrum of an angle text draws.
struct ScatterPlot {
    int angleIndex = 0;        //!< the measuring point drawn, 1..9
    double legendIndex = 0.0;  //!< k before rounding: places the legend
    double scale = 1.0;        //!< factor on the relative values
    PlotCurve curve;
    PlotLegend legend;  //!< "Scatter (" + the angle text + ")"
};

//! The angle text (degrees, read by the text-box number rule) gives
//! k = (angle - 30) / 15 + 1; the curve is that of k rounded to a whole number
//! with halves to even, the legend stands at k unrounded (y = 65 + 40 k).
//! Throws DataError when the rounded k is not a measuring point 1..9 (an
//! angle below 22.5 degrees, from 157.5 up, or a text that is not a number).
ScatterPlot scatterPlot(const ResultSet& set, std::string_view angleText, ScatterScale scale);

//! The palette number of the drawing colour option 1..4 (Red, Blue, Green,
//! Black): 12, 9, 10, 0. Throws std::invalid_argument for another option.
int drawColourOfOption(int option);

}  // namespace korvana::app
