// A small x-y plot written as SVG text: framed axes with ticks, tick labels
// and titles (with their units), a linear or logarithmic scale per axis,
// series drawn as lines, markers (with vertical error bars) or histogram
// steps, dashed reference lines, and a legend. Plain text output, no toolkit.
#pragma once

#include <string>
#include <vector>

namespace korvana::validation {

struct PlotAxis {
    std::string title;  //!< with its unit: "scattering angle (degree)"
    double min = 0;
    double max = 1;
    bool logarithmic = false;  //!< decades; min and max above 0
    //! Distance between labelled ticks on a linear axis; 0 picks 1, 2 or 5 x 10^n.
    double tickStep = 0;
};

enum class SeriesStyle {
    Line,         //!< a polyline through the points
    Markers,      //!< a circle per point, with its error bar when given
    LineMarkers,  //!< both
    Steps,        //!< a histogram: x are the bin edges, y (one fewer) the bin heights
};

struct PlotSeries {
    std::string label;  //!< in the legend; empty: not listed
    std::vector<double> x;
    std::vector<double> y;
    std::vector<double> yError;  //!< standard errors for the error bars; empty: none
    std::string colour = "#1f77b4";
    SeriesStyle style = SeriesStyle::LineMarkers;
    bool dashed = false;
};

struct Plot {
    std::string title;
    PlotAxis x;
    PlotAxis y;
    std::vector<PlotSeries> series;
    std::vector<double> horizontalLines;  //!< grey dashed lines at these y
    bool legendAtLeft = false;            //!< legend in the upper left instead of right
    int width = 760;                      //!< [px]
    int height = 460;                     //!< [px]
};

//! The plot as an SVG document. Points outside the axes' ranges are clipped to
//! the plot area; a non-finite value (or one at or below 0 on a logarithmic
//! axis) breaks a line and draws no marker.
std::string svgPlot(const Plot& plot);

//! Axis limits that hold every value of `values` with a margin, rounded
//! outwards to the tick step; `withZero` widens them to include 0.
PlotAxis linearAxisFor(const std::string& title, const std::vector<double>& values, bool withZero);

}  // namespace korvana::validation
