// The plot library draws the series it is given into an SVG file, and
// refuses a folder it cannot write.
#include "app/study/plot/summary_plot.h"

#include <gtest/gtest.h>

#include "common/data_error.h"
#include "temp_dir.h"

namespace korvana::study {
namespace {

SummaryRow rowOf(std::size_t index, const std::string& pb, const std::string& at90) {
    SummaryRow row(summaryHeader().size());
    row[summaryColumn("condition")] = std::to_string(index);
    row[summaryColumn("pb_mm")] = pb;
    row[summaryColumn("eye_lens_90")] = at90;
    row.back() = "ok";
    return row;
}

TEST(SummaryPlot, TheSvgHoldsTheAxisTitleAndTheLegend) {
    testing::ScopedWorkDir dir;
    writeSummaryPlot("plot.svg", {rowOf(1, "0", "3e-4"), rowOf(2, "0.35", "2e-5")},
                     {StudyInput::Pb});
    const std::string svg = testing::readWhole("plot.svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("pb [mm Pb]"), std::string::npos);
    EXPECT_NE(svg.find("120°"), std::string::npos);
    EXPECT_THROW(
        writeSummaryPlot("missing/folder/plot.svg", {rowOf(1, "0", "1")}, {StudyInput::Pb}),
        DataError);
}

TEST(SummaryPlot, ARoomsEyePointsArePlottedAgainstTheShieldsPlace) {
    testing::ScopedWorkDir dir;
    SummaryLayout layout;
    layout.scene = true;
    layout.eyePoints = {"operator"};
    std::vector<SummaryRow> rows;
    for (const auto& [x, kerma] : {std::pair{"40", "2e-4"}, std::pair{"60", "5e-5"}}) {
        SummaryRow row(summaryHeaderOf(layout).size());
        row[summaryColumnOf(layout, "condition")] = std::to_string(rows.size() + 1);
        row[summaryColumnOf(layout, "shield_x_cm")] = x;
        row[summaryColumnOf(layout, "eye_point_operator_air_kerma_ratio")] = kerma;
        row.back() = "ok";
        rows.push_back(row);
    }
    writeSummaryPlot("plot.svg", rows, {StudyInput::ShieldX}, layout);
    const std::string svg = testing::readWhole("plot.svg");
    EXPECT_NE(svg.find("shield-x [cm]"), std::string::npos);
    EXPECT_NE(svg.find("air kerma ratio at the eye points"), std::string::npos);
    EXPECT_NE(svg.find("operator"), std::string::npos);
}

}  // namespace
}  // namespace korvana::study
