#include "app/results/kerma_map.h"

#include <gtest/gtest.h>

#include <cmath>

namespace korvana::app {
namespace {

// A grid rising linearly along both directions, its maximum 2e-3 at the last point.
KermaGrid rampGrid() {
    KermaGrid grid{};
    for (int n = 1; n <= GRID_COLUMNS; ++n) {
        for (int m = 1; m <= GRID_ROWS; ++m)
            grid[n][m] = 1e-3 * (n + m) / (GRID_COLUMNS + GRID_ROWS);
    }
    return grid;
}

TEST(RefineKermaGridTest, PassesThroughTheGridAndIsLinearBetween) {
    KermaGrid grid{};
    for (int n = 1; n <= GRID_COLUMNS; ++n) {
        for (int m = 1; m <= GRID_ROWS; ++m) grid[n][m] = 1e-4 * ((n * 7 + m * 3) % 11 + 1);
    }
    const KermaMap map = refineKermaGrid(grid);
    ASSERT_GT(map.kermaMapMax, 0.0);
    const double scale = 100.0 / map.kermaMapMax;
    for (int n = 1; n <= GRID_COLUMNS; ++n) {
        for (int m = 1; m <= GRID_ROWS; ++m) {
            EXPECT_NEAR(map.at(10 * (n - 1) + 1, 10 * (m - 1) + 1), grid[n][m] * scale, 1e-12);
        }
    }
    // Between two columns of a grid row: s-th step of ten.
    EXPECT_NEAR(map.at(4, 1), (grid[1][1] + 3 * (grid[2][1] - grid[1][1]) / 10) * scale, 1e-12);
    // Between two rows of a grid column.
    EXPECT_NEAR(map.at(201, 296), (grid[21][30] + 5 * (grid[21][31] - grid[21][30]) / 10) * scale,
                1e-12);
}

TEST(RefineKermaGridTest, OnlyTheMaximumCellIsExactlyOneHundred) {
    KermaGrid grid = rampGrid();
    grid[5][7] = 5e-3;
    const KermaMap map = refineKermaGrid(grid);
    EXPECT_EQ(map.kermaMapMax, 5e-3);
    int hundreds = 0;
    for (int j = 1; j <= MAP_ROWS; ++j) {
        for (int i = 1; i <= MAP_COLUMNS; ++i) hundreds += map.at(i, j) == 100.0;
    }
    EXPECT_EQ(hundreds, 1);
    EXPECT_EQ(map.at(41, 61), 100.0);
    EXPECT_EQ(mapColourOf(map.at(41, 61)), (Rgb{255, 255, 255}));
    EXPECT_EQ(kermaMapMaxText(map), "5.000E-03");
}

TEST(RefineKermaGridTest, AnEmptyGridGivesAnAllGreyMapAndZeroReadouts) {
    const KermaMap map = refineKermaGrid(KermaGrid{});
    EXPECT_EQ(map.kermaMapMax, 0.0);
    for (double v : map.percent) {
        ASSERT_EQ(v, 0.0);
    }
    EXPECT_EQ(mapColourOf(map.at(1, 1)), (Rgb{200, 200, 200}));
    EXPECT_EQ(kermaMapMaxText(map), "0.000E+00");
    const auto readout = kermaReadoutAt(map, 200, 300);
    ASSERT_TRUE(readout);
    EXPECT_EQ(readout->percentText, "0.0");
    EXPECT_EQ(readout->kermaText, "0.000E+00");
}

struct BandCase {
    double percent;
    int band;
    Rgb colour;
};

class KermaBandTest : public ::testing::TestWithParam<BandCase> {};

TEST_P(KermaBandTest, LimitsBelongToTheLowerBand) {
    EXPECT_EQ(kermaBandOf(GetParam().percent), GetParam().band);
    EXPECT_EQ(mapColourOf(GetParam().percent), GetParam().colour);
}

INSTANTIATE_TEST_SUITE_P(
    Values, KermaBandTest,
    ::testing::Values(BandCase{100.0, 0, {255, 255, 255}}, BandCase{99.999, 1, {255, 0, 255}},
                      BandCase{90.0001, 1, {255, 0, 255}}, BandCase{90.0, 2, {255, 0, 0}},
                      BandCase{80.0, 3, {255, 192, 0}}, BandCase{70.0, 4, {255, 255, 0}},
                      BandCase{60.0, 5, {164, 208, 80}}, BandCase{50.5, 5, {164, 208, 80}},
                      BandCase{50.0, 6, {0, 176, 80}}, BandCase{40.0, 7, {0, 176, 240}},
                      BandCase{30.0, 8, {0, 112, 192}}, BandCase{20.0, 9, {112, 48, 160}},
                      BandCase{10.0, 10, {126, 126, 126}}, BandCase{5.0001, 10, {126, 126, 126}},
                      BandCase{5.0, 11, {200, 200, 200}}, BandCase{0.0, 11, {200, 200, 200}}));

TEST(KermaBandTest, TheLegendHasElevenRowsAndItsOwnFiftyToSixtyColour) {
    const auto& legend = legendBands();
    ASSERT_EQ(legend.size(), 11u);
    EXPECT_STREQ(legend.front().caption, "90 -100");
    EXPECT_STREQ(legend[1].caption, "80 - 90");
    EXPECT_STREQ(legend[4].caption, "50 - 60");
    EXPECT_EQ(legend[4].colour, (Rgb{146, 208, 80}));
    EXPECT_STREQ(legend[9].caption, "5 - 10");
    EXPECT_STREQ(legend.back().caption, "0 -  5");
    EXPECT_EQ(legend.back().colour, (Rgb{200, 200, 200}));
    // Every other band is painted in its legend colour.
    const double insides[] = {95, 85, 75, 65, 55, 45, 35, 25, 15, 7.5, 2.5};
    for (int band = 1; band <= 11; ++band) {
        if (band == 5) continue;
        const double inside = insides[band - 1];
        ASSERT_EQ(kermaBandOf(inside), band) << inside;
        EXPECT_EQ(mapColourOf(inside), legend[band - 1].colour) << band;
    }
}

struct Pointer {
    const char* name;
    double x, y;
    const char* xText;
    const char* zText;
    int column, row;
};

class KermaReadoutTest : public ::testing::TestWithParam<Pointer> {};

TEST_P(KermaReadoutTest, ShowsPositionAndCell) {
    const KermaMap map = refineKermaGrid(rampGrid());
    const auto readout = kermaReadoutAt(map, GetParam().x, GetParam().y);
    ASSERT_TRUE(readout);
    EXPECT_EQ(readout->xText, GetParam().xText);
    EXPECT_EQ(readout->zText, GetParam().zText);
    EXPECT_EQ(readout->column, GetParam().column);
    EXPECT_EQ(readout->row, GetParam().row);
    EXPECT_EQ(readout->percent, map.at(GetParam().column, GetParam().row));
    EXPECT_DOUBLE_EQ(readout->kermaRatio, map.kermaMapMax * 0.01 * readout->percent);
}

INSTANTIATE_TEST_SUITE_P(
    Corners, KermaReadoutTest,
    ::testing::Values(Pointer{"TopLeft", 0, 600, " 50", "-100", 1, 1},
                      Pointer{"BottomRight", 400, 0, " 150", " 50", 201, 301},
                      Pointer{"TopRight", 400, 600, " 150", "-100", 201, 1},
                      Pointer{"BottomLeft", 0, 0, " 50", " 50", 1, 301},
                      Pointer{"EntranceSurface", 200, 200, " 100", " 0", 101, 201},
                      Pointer{"QuarterCmAboveTheSurface", 200, 201, " 100", " 0", 101, 200},
                      Pointer{"OneCmAboveTheSurface", 200, 204, " 100", "-1", 101, 199},
                      Pointer{"HalfColumnRoundsToEvenDown", 1, 600, " 50", "-100", 1, 1},
                      Pointer{"HalfColumnRoundsToEvenUp", 3, 600, " 50", "-100", 3, 1},
                      Pointer{"HalfRowRoundsToEven", 0, 1, " 50", " 50", 1, 300}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KermaReadoutTest, IsEmptyOffTheMap) {
    const KermaMap map = refineKermaGrid(rampGrid());
    EXPECT_FALSE(kermaReadoutAt(map, -1, 300));
    EXPECT_FALSE(kermaReadoutAt(map, 200, 601));
    EXPECT_FALSE(kermaReadoutAt(map, 400.5, 0));
    EXPECT_FALSE(kermaReadoutAt(map, 0, -0.1));
}

TEST(KermaReadoutTest, FormatsPercentAndKerma) {
    const KermaMap map = refineKermaGrid(rampGrid());
    const auto top = kermaReadoutAt(map, 400, 0);  // the maximum
    ASSERT_TRUE(top);
    EXPECT_EQ(top->percentText, "100.0");
    EXPECT_EQ(top->kermaText, "1.000E-03");
    const auto low = kermaReadoutAt(map, 0, 600);  // (1 + 1) / 52 of the maximum
    ASSERT_TRUE(low);
    EXPECT_EQ(low->percentText, "3.8");
    EXPECT_EQ(low->kermaText, "3.846E-05");
}

}  // namespace
}  // namespace korvana::app
