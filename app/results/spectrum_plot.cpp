#include "app/results/spectrum_plot.h"

#include <stdexcept>

#include "app/common/text_value.h"
#include "app/results/rounding.h"
#include "common/data_error.h"

namespace korvana::app {

namespace {

constexpr double LEGEND_LINE_Y = 65.0;  // primary legend; a scattered one is 40 k lower
constexpr double LEGEND_TEXT_Y = 47.0;
constexpr double LEGEND_STEP = 40.0;

PlotCurve curveOf(const BinValues& relative, double scale) {
    PlotCurve curve;
    curve.reserve(GRID_BINS + 1);
    curve.push_back({PLOT_LEFT, PLOT_BOTTOM});
    for (int i = 1; i <= GRID_BINS; ++i) curve.push_back({plotX(i), plotY(scale * relative[i])});
    return curve;
}

}  // namespace

PlotCurve primaryCurve(const ResultSet& set) { return curveOf(set.primarySpectrum, 1.0); }

PlotLegend primaryLegend() { return {LEGEND_LINE_Y, LEGEND_TEXT_Y, "Primary"}; }

ScatterPlot scatterPlot(const ResultSet& set, std::string_view angleText, ScatterScale scale) {
    ScatterPlot plot;
    plot.legendIndex = (textValue(angleText) - FIRST_POINT_ANGLE_DEG) / POINT_ANGLE_STEP_DEG + 1.0;
    const double rounded = roundHalfToEven(plot.legendIndex);
    if (!(rounded >= 1.0 && rounded <= POINT_COUNT)) {
        throw DataError("the angle \"" + std::string(angleText) +
                        "\" selects no measuring point (the points lie at 30 to 150 degrees in "
                        "steps of 15) - type one of 45, 60, 75, 90, 105, 120, 135, or 30 or 150");
    }
    plot.angleIndex = static_cast<int>(rounded);
    const int k = plot.angleIndex;
    plot.scale = 1.0;
    if (scale == ScatterScale::LargestPeak) {
        plot.scale = set.scatterPeakAll > 0.0 ? set.scatterPeak[k] / set.scatterPeakAll : 0.0;
    }
    plot.curve = curveOf(set.scatterSpectra[k], plot.scale);
    plot.legend.lineY = LEGEND_LINE_Y + LEGEND_STEP * plot.legendIndex;
    plot.legend.textY = LEGEND_TEXT_Y + LEGEND_STEP * plot.legendIndex;
    plot.legend.text = "Scatter (" + std::string(angleText) + ")";
    return plot;
}

int drawColourOfOption(int option) {
    switch (option) {
        case 1:
            return 12;
        case 2:
            return 9;
        case 3:
            return 10;
        case 4:
            return 0;
        default:
            throw std::invalid_argument("drawing colour option " + std::to_string(option));
    }
}

}  // namespace korvana::app
