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

}  // namespace
}  // namespace korvana::study
