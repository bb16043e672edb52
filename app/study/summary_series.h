// What OUT/summary.svg shows, computed without drawing it: the eye lens dose
// without glasses at 90 and 120 degrees (per Gy, or with a workload the
// year's Hp(3) in mSv) against the first swept input, one series per angle
// and value of the second swept input, with the axes fitted to them. A study
// whose room has eye points shows their air kerma ratios instead, one series
// per eye point and value of the second input: they are where the user asked. An input
// that is not a number (the mode, a field LONGxSHORT) is placed at equal
// steps in study order; failed conditions and doses that do not exist are
// gaps. The plot library (plot/summary_plot.h) draws this.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/study/plot_axis.h"
#include "app/study/study_options.h"
#include "app/study/summary_file.h"

namespace korvana::study {

inline constexpr std::array<int, 2> PLOT_ANGLES = {90, 120};  //!< [degree]

struct PlotSeries {
    std::string label;            //!< "90°", or "pb 0.35 mm Pb, 90°" with a second input;
                                  //!< the eye point's name in its place
    std::size_t colourIndex = 0;  //!< the series' colour: its angle, or its second input's value
    bool dashed = false;          //!< 120 degrees
    //! x and the dose there, in ascending x; no dose where there is a gap.
    std::vector<std::pair<double, std::optional<double>>> points;
};

struct SummaryPlotData {
    StudyInput xInput = StudyInput::Thickness;
    bool annual = false;  //!< the year's Hp(3) [mSv] with its limit, not the dose per Gy
    //! The eye points whose air kerma ratio is shown instead of the doses.
    std::vector<std::string> eyePoints;
    bool numericX = true;             //!< false: x is the place of the text in xTexts
    std::vector<std::string> xTexts;  //!< the x values in study order
    std::vector<PlotSeries> series;
    Axis xAxis, yAxis;  //!< y is logarithmic when the doses span more than a decade
};

//! The inputs that take more than one value among the rows, in input order.
std::vector<StudyInput> sweptColumns(const std::vector<SummaryRow>& rows,
                                     const SummaryLayout& layout);
//! The same for rows of a summary without a scene.
std::vector<StudyInput> sweptColumns(const std::vector<SummaryRow>& rows);

//! The plot of `rows` against `swept` (one or two inputs, the first on x).
SummaryPlotData summaryPlotData(const std::vector<SummaryRow>& rows,
                                const std::vector<StudyInput>& swept, const SummaryLayout& layout);
//! The same for rows of a summary without a scene.
SummaryPlotData summaryPlotData(const std::vector<SummaryRow>& rows,
                                const std::vector<StudyInput>& swept);

//! The number a cell holds, or none for an empty cell, text or a value that
//! is not finite.
std::optional<double> plotNumber(const std::string& cell);

}  // namespace korvana::study
