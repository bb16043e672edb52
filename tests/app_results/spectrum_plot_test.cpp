#include "app/results/spectrum_plot.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "common/data_error.h"

namespace korvana::app {
namespace {

// A set whose angle k has its peak (k / 10 as stored) in bin 20 k.
ResultSet peakedSet() {
    ResultSet set;
    for (int k = 1; k <= POINT_COUNT; ++k) {
        set.scatterPeak[k] = k / 10.0;
        set.scatterSpectra[k][20 * k] = 1.0;
        set.scatterSpectra[k][20 * k + 1] = 0.5;
    }
    set.scatterPeakAll = 0.9;
    set.primarySpectrum[72] = 1.0;
    set.primarySpectrum[73] = 1.0;
    set.primarySpectrum[100] = 0.5;
    return set;
}

struct AngleCase {
    const char* name;
    const char* text;
    int angleIndex;
    double legendLineY;
};

class PlotAngleTest : public ::testing::TestWithParam<AngleCase> {};

TEST_P(PlotAngleTest, SelectsTheRoundedIndexAndPlacesTheLegendUnrounded) {
    const ScatterPlot plot = scatterPlot(peakedSet(), GetParam().text, ScatterScale::OwnPeak);
    EXPECT_EQ(plot.angleIndex, GetParam().angleIndex);
    EXPECT_NEAR(plot.legend.lineY, GetParam().legendLineY, 1e-9);
    EXPECT_NEAR(plot.legend.textY, GetParam().legendLineY - 18.0, 1e-9);
    EXPECT_EQ(plot.legend.text, std::string("Scatter (") + GetParam().text + ")");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PlotAngleTest,
    ::testing::Values(AngleCase{"Deg45", "45", 2, 145.0}, AngleCase{"Deg90", "90", 5, 265.0},
                      AngleCase{"Deg135", "135", 8, 385.0}, AngleCase{"Deg30", "30", 1, 105.0},
                      AngleCase{"Deg150", "150", 9, 425.0},
                      AngleCase{"Deg50", "50", 2, 65.0 + 40.0 * (20.0 / 15.0 + 1.0)},
                      AngleCase{"HalfDownToEven", "52.5", 2, 165.0},
                      AngleCase{"HalfUpToEven", "37.5", 2, 125.0},
                      AngleCase{"HalfUpToEvenFour", "67.5", 4, 205.0},
                      AngleCase{"JustAboveTheLowestHalf", "22.6", 1,
                                65.0 + 40.0 * (7.4 / -15.0 + 1.0)},
                      AngleCase{"TrailingUnit", "60deg", 3, 185.0},
                      AngleCase{"InnerBlanks", " 1 2 0 ", 7, 345.0}),
    [](const auto& info) { return std::string(info.param.name); });

class RefusedAngleTest : public ::testing::TestWithParam<const char*> {};

TEST_P(RefusedAngleTest, SelectsNoMeasuringPoint) {
    EXPECT_THROW(scatterPlot(peakedSet(), GetParam(), ScatterScale::OwnPeak), DataError);
}

INSTANTIATE_TEST_SUITE_P(Texts, RefusedAngleTest,
                         ::testing::Values("22.5", "22.4", "15", "157.5", "165", "abc", "", "-30",
                                           "1e999"));

TEST(SpectrumPlotTest, PrimaryCurveStartsOnTheAxisAndPeaksAtTheTop) {
    const PlotCurve curve = primaryCurve(peakedSet());
    ASSERT_EQ(curve.size(), 301u);
    EXPECT_EQ(curve[0].x, 100.0);
    EXPECT_EQ(curve[0].y, 510.0);
    EXPECT_EQ(curve[72].x, 280.0);
    EXPECT_EQ(curve[72].y, 10.0);
    EXPECT_EQ(curve[73].y, 10.0);
    EXPECT_EQ(curve[100].y, 260.0);
    EXPECT_EQ(curve[300].x, 850.0);
    EXPECT_EQ(curve[300].y, 510.0);
    const PlotLegend legend = primaryLegend();
    EXPECT_EQ(legend.lineY, 65.0);
    EXPECT_EQ(legend.textY, 47.0);
    EXPECT_EQ(legend.text, "Primary");
}

TEST(SpectrumPlotTest, OwnPeakScaleBringsEveryAngleToTheTop) {
    const ResultSet set = peakedSet();
    for (int degrees = 30; degrees <= 150; degrees += 15) {
        const ScatterPlot plot = scatterPlot(set, std::to_string(degrees), ScatterScale::OwnPeak);
        EXPECT_EQ(plot.scale, 1.0);
        EXPECT_EQ(plot.curve[20 * plot.angleIndex].y, 10.0) << degrees;
        EXPECT_EQ(plot.curve[20 * plot.angleIndex + 1].y, 260.0) << degrees;
    }
}

TEST(SpectrumPlotTest, LargestPeakScaleBringsOnlyTheLargestAngleToTheTop) {
    const ResultSet set = peakedSet();
    for (int degrees = 30; degrees <= 150; degrees += 15) {
        const ScatterPlot plot =
            scatterPlot(set, std::to_string(degrees), ScatterScale::LargestPeak);
        const int k = plot.angleIndex;
        EXPECT_DOUBLE_EQ(plot.scale, set.scatterPeak[k] / 0.9);
        EXPECT_DOUBLE_EQ(plot.curve[20 * k].y, 510.0 - 500.0 * plot.scale);
        EXPECT_EQ(plot.curve[20 * k].y == 10.0, k == 9) << degrees;
    }
}

TEST(SpectrumPlotTest, LargestPeakScaleOfAnEmptyResultDrawsOnTheAxis) {
    ResultSet set;  // nothing scored anywhere
    const ScatterPlot plot = scatterPlot(set, "90", ScatterScale::LargestPeak);
    EXPECT_EQ(plot.scale, 0.0);
    for (const PlotPoint& p : plot.curve) ASSERT_EQ(p.y, 510.0);
}

TEST(SpectrumPlotTest, DrawColoursOfTheFourOptions) {
    EXPECT_EQ(drawColourOfOption(1), 12);
    EXPECT_EQ(drawColourOfOption(2), 9);
    EXPECT_EQ(drawColourOfOption(3), 10);
    EXPECT_EQ(drawColourOfOption(4), 0);
    EXPECT_THROW(drawColourOfOption(5), std::invalid_argument);
    EXPECT_EQ(paletteColour(12), (Rgb{255, 0, 0}));
    EXPECT_EQ(paletteColour(9), (Rgb{0, 0, 255}));
    EXPECT_EQ(paletteColour(10), (Rgb{0, 255, 0}));
    EXPECT_EQ(paletteColour(0), (Rgb{0, 0, 0}));
    EXPECT_EQ(paletteColour(8), (Rgb{128, 128, 128}));
    EXPECT_EQ(paletteColour(15 + 16), (Rgb{255, 255, 255}));  // numbers wrap around modulo 16
}

}  // namespace
}  // namespace korvana::app
