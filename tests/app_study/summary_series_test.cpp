// The summary plot's series from summary rows: grouping by the second swept
// input, gaps where a dose is missing, and inputs that are not numbers.
#include "app/study/summary_series.h"

#include <gtest/gtest.h>

namespace korvana::study {
namespace {

// A row of condition `index` with the given kv and pb and eye lens doses at 90 and 120 degrees.
SummaryRow rowOf(std::size_t index, const std::string& kv, const std::string& pb,
                 const std::string& at90, const std::string& at120) {
    SummaryRow row(summaryHeader().size());
    row[summaryColumn("condition")] = std::to_string(index);
    row[summaryColumn("kv")] = kv;
    row[summaryColumn("pb_mm")] = pb;
    row[summaryColumn("eye_lens_90")] = at90;
    row[summaryColumn("eye_lens_120")] = at120;
    row.back() = "ok";
    return row;
}

TEST(SummarySeries, OneSeriesPerAngleAndSecondInputWithGapsInAscendingX) {
    const std::vector<SummaryRow> rows = {
        rowOf(1, "100", "0", "3e-4", "4e-4"), rowOf(2, "100", "0.35", "2e-5", ""),
        rowOf(3, "60", "0", "1e-4", "2e-4"), rowOf(4, "60", "0.35", "1e-5", "3e-5")};
    const std::vector<StudyInput> swept = sweptColumns(rows);
    ASSERT_EQ(swept, (std::vector<StudyInput>{StudyInput::Kv, StudyInput::Pb}));
    const SummaryPlotData plot = summaryPlotData(rows, swept);
    ASSERT_EQ(plot.series.size(), 4u);  // pb 0 and 0.35, each at 90 and 120 degrees
    const PlotSeries& pb35at120 = plot.series[3];
    EXPECT_EQ(pb35at120.label, "pb 0.35 mm Pb, 120°");
    EXPECT_TRUE(pb35at120.dashed);
    EXPECT_EQ(pb35at120.colourIndex, 1u);
    ASSERT_EQ(pb35at120.points.size(), 2u);
    EXPECT_EQ(pb35at120.points[0].first, 60.0);
    EXPECT_EQ(pb35at120.points[0].second, 3e-5);
    EXPECT_FALSE(pb35at120.points[1].second.has_value());  // the gap at 100 kV
    EXPECT_TRUE(plot.yAxis.logarithmic);                   // 1e-5 to 4e-4
    EXPECT_LE(plot.xAxis.low, 60.0);
    EXPECT_GE(plot.xAxis.high, 100.0);
}

TEST(SummarySeries, AnInputThatIsNoNumberStandsAtEqualStepsInStudyOrder) {
    std::vector<SummaryRow> rows = {rowOf(1, "80", "0", "1", "2"), rowOf(2, "80", "0", "inf", "2"),
                                    rowOf(3, "80", "0", "3", "4")};
    rows[0][summaryColumn("mode")] = "cp";
    rows[1][summaryColumn("mode")] = "3phase";
    rows[2][summaryColumn("mode")] = "1phase";
    const SummaryPlotData plot = summaryPlotData(rows, {StudyInput::Mode});
    EXPECT_FALSE(plot.numericX);
    EXPECT_EQ(plot.xTexts, (std::vector<std::string>{"cp", "3phase", "1phase"}));
    ASSERT_EQ(plot.series.size(), 2u);
    EXPECT_EQ(plot.series[0].points[2].first, 2.0);
    EXPECT_FALSE(plot.series[0].points[1].second.has_value());  // "inf" cannot be drawn
    EXPECT_EQ(plot.xAxis.low, -0.5);
    EXPECT_EQ(plot.xAxis.high, 2.5);
}

}  // namespace
}  // namespace korvana::study
