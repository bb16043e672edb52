#include "app/study/summary_series.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>

#include "app/results/annual_eye_lens_dose.h"

namespace korvana::study {

namespace {

// The layout of rows of a summary without a scene.
SummaryLayout layoutOfRows(const std::vector<SummaryRow>& rows) {
    return layoutWithoutScene(!rows.empty() && rowHasWorkload(rows.front()));
}

// The x values in study order, and whether they are all numbers.
void collectX(const std::vector<SummaryRow>& rows, const SummaryLayout& layout,
              SummaryPlotData& plot) {
    for (const SummaryRow& row : rows) {
        const std::string& text = inputCell(row, layout, plot.xInput);
        if (std::find(plot.xTexts.begin(), plot.xTexts.end(), text) == plot.xTexts.end()) {
            plot.xTexts.push_back(text);
        }
        plot.numericX = plot.numericX && plotNumber(text).has_value();
    }
}

double xOf(const SummaryPlotData& plot, const std::string& text) {
    if (plot.numericX) return *plotNumber(text);
    return static_cast<double>(std::find(plot.xTexts.begin(), plot.xTexts.end(), text) -
                               plot.xTexts.begin());
}

// The values of the second swept input in study order; one empty group without it.
std::vector<std::string> groupsOf(const std::vector<SummaryRow>& rows,
                                  const std::vector<StudyInput>& swept,
                                  const SummaryLayout& layout) {
    std::vector<std::string> groups;
    if (swept.size() < 2) return {std::string()};
    for (const SummaryRow& row : rows) {
        const std::string& g = inputCell(row, layout, swept[1]);
        if (std::find(groups.begin(), groups.end(), g) == groups.end()) groups.push_back(g);
    }
    return groups;
}

std::string doseColumn(bool annual, int angle) {
    return annual ? "annual_eye_lens_" + std::to_string(angle) + "_msv"
                  : "eye_lens_" + std::to_string(angle);
}

std::string seriesLabel(const std::vector<StudyInput>& swept, const std::string& group,
                        const std::string& label) {
    if (swept.size() < 2) return label;
    const InputDescription& d = describe(swept[1]);
    return std::string(d.option) + " " + group +
           (*d.unit == '\0' ? "" : std::string(" ") + d.unit) + ", " + label;
}

}  // namespace

std::optional<double> plotNumber(const std::string& cell) {
    double value = 0;
    const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
    if (cell.empty() || error != std::errc() || end != cell.data() + cell.size()) return {};
    if (!std::isfinite(value)) return {};  // "inf" or "nan" cannot be drawn
    return value;
}

std::vector<StudyInput> sweptColumns(const std::vector<SummaryRow>& rows,
                                     const SummaryLayout& layout) {
    std::vector<StudyInput> swept;
    for (std::size_t n = 0; n < INPUT_COUNT; ++n) {
        const auto input = static_cast<StudyInput>(n);
        if (isSceneInput(input) && !layout.scene) continue;
        std::set<std::string> values;
        for (const SummaryRow& row : rows) values.insert(inputCell(row, layout, input));
        if (values.size() > 1) swept.push_back(input);
    }
    return swept;
}

std::vector<StudyInput> sweptColumns(const std::vector<SummaryRow>& rows) {
    return sweptColumns(rows, layoutOfRows(rows));
}

SummaryPlotData summaryPlotData(const std::vector<SummaryRow>& rows,
                                const std::vector<StudyInput>& swept) {
    return summaryPlotData(rows, swept, layoutOfRows(rows));
}

SummaryPlotData summaryPlotData(const std::vector<SummaryRow>& rows,
                                const std::vector<StudyInput>& swept, const SummaryLayout& layout) {
    SummaryPlotData plot;
    plot.xInput = swept.at(0);
    plot.eyePoints = layout.eyePoints;
    plot.annual = layout.workload && plot.eyePoints.empty();
    collectX(rows, layout, plot);

    // One series per angle, or per eye point: its label and column.
    std::vector<std::pair<std::string, std::string>> curves;
    if (plot.eyePoints.empty()) {
        for (int angle : PLOT_ANGLES) {
            curves.emplace_back(std::to_string(angle) + "°", doseColumn(plot.annual, angle));
        }
    } else {
        for (const std::string& name : plot.eyePoints) {
            curves.emplace_back(name, "eye_point_" + name + "_air_kerma_ratio");
        }
    }
    const std::vector<std::string> groups = groupsOf(rows, swept, layout);
    std::vector<double> doses, xs;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (std::size_t a = 0; a < curves.size(); ++a) {
            PlotSeries s;
            s.colourIndex = swept.size() > 1 ? g : a;
            s.dashed = a % 2 == 1;
            s.label = seriesLabel(swept, groups[g], curves[a].first);
            const std::string& column = curves[a].second;
            for (const SummaryRow& row : rows) {
                if (swept.size() > 1 && inputCell(row, layout, swept[1]) != groups[g]) continue;
                const double x = xOf(plot, inputCell(row, layout, plot.xInput));
                const std::optional<double> dose = plotNumber(cellOf(row, layout, column));
                s.points.emplace_back(x, dose);
                xs.push_back(x);
                if (dose) doses.push_back(*dose);
            }
            std::stable_sort(s.points.begin(), s.points.end(),
                             [](const auto& p, const auto& q) { return p.first < q.first; });
            plot.series.push_back(std::move(s));
        }
    }
    plot.xAxis = fitAxis(xs, false);
    if (!plot.numericX) {
        plot.xAxis.low = -0.5;
        plot.xAxis.high = static_cast<double>(plot.xTexts.size()) - 0.5;
    }
    if (plot.annual) doses.push_back(app::EYE_LENS_LIMIT_MSV);  // the limit's line stays in view
    plot.yAxis = fitAxis(doses, true);
    return plot;
}

}  // namespace korvana::study
