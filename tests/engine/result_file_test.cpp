#include "engine/run/result_file.h"

#include <gtest/gtest.h>

#include <memory>

namespace korvana::engine {
namespace {

class ResultFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        spectrum.normalised[60] = 0.25f;
        spectrum.normalised[100] = 0.75f;
        spectrum.peakBin = 100;
        spectrum.topBin = 100;
        air.fill(0.5f);
        run = RunParameters{20.0f, 80.0f, 25.0f, 25.0f, 0.035f, 60.0f, 1.5e6f, "x.data"};
        beam = BeamDescriptor{561.7f, 80.0f, 12.0f, 2.5f, 1.5f, 0.0f};
        scores->pointSpectrum[2][61] = 3.0f;
        scores->pointSpectrum[2][80] = 1.0f;
        scores->pointKerma[2] = 25.0f * 3.141592f * 7.0f;
        scores->gridKerma[1][1] = 4.0f * 3.141592f;
    }
    PreparedSpectrum spectrum;
    GridTable air{};
    RunParameters run;
    BeamDescriptor beam;
    std::unique_ptr<Scores> scores = std::make_unique<Scores>();
};

TEST_F(ResultFileTest, LayoutAndValues) {
    const RunTotals totals = finishRun(*scores, spectrum, air, run);
    const float kerma =
        (0.5f * 0.25f * 60.0f * 1.5e6f * 0.5f + 0.5f * 0.75f * 100.0f * 1.5e6f * 0.5f) / 625.0f;
    EXPECT_FLOAT_EQ(totals.primaryKerma, kerma);
    EXPECT_EQ(totals.peakBinPhotons, 0.75f * 1.5e6f);
    EXPECT_EQ(totals.pointSpectrumPeak[2], 3.0f);
    EXPECT_EQ(scores->pointSpectrum[2][61], 0.75f) << "each point spectrum sums to 1";

    const std::vector<std::string> lines = resultFileLines(totals, *scores, spectrum, run, beam);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(RESULT_FILE_LINES));
    for (int i = 0; i < 300; ++i) ASSERT_EQ(lines[i].size(), 106u) << i + 1;
    EXPECT_EQ(lines[0].substr(0, 16), "    .5 .0000E+00");
    EXPECT_EQ(lines[60],
              "  30.5 .0000E+00 .0000E+00 .7500E+00 .0000E+00 .0000E+00 .0000E+00"
              " .0000E+00 .0000E+00 .0000E+00 .0000E+00");
    EXPECT_EQ(lines[99].substr(0, 16), "  50.0 .7500E+00");
    EXPECT_EQ(lines[300], " .1125E+07   .5400E+05");
    EXPECT_EQ(lines[301].size(), 34u);
    EXPECT_EQ(lines[302], " .3000E+01   .7000E+01   .1296E-03");
    EXPECT_EQ(lines[310], " 20.0");
    EXPECT_EQ(lines[311], " 80.0");
    EXPECT_EQ(lines[312], " 25.0");
    EXPECT_EQ(lines[313], " 25.0");
    EXPECT_EQ(lines[314], " .350");
    EXPECT_EQ(lines[315], " 60.0");
    EXPECT_EQ(lines[316], " 80.0");
    EXPECT_EQ(lines[317], " 12.0");
    EXPECT_EQ(lines[318], "  2.500");
    EXPECT_EQ(lines[319], "  1.500");
    EXPECT_EQ(lines[320], "   .000");
    EXPECT_EQ(lines[321], "  .2E+07") << "1.5e6 histories with one significant digit";
    for (int i = 322; i < 353; ++i) ASSERT_EQ(lines[i].size(), 231u) << i + 1;
    EXPECT_EQ(lines[322].substr(0, 22), "  .1852E-04  .0000E+00");
}

TEST_F(ResultFileTest, TenMillimetresOfLeadOverflowItsField) {
    run.curtainLeadThickness = 1.0f;
    const RunTotals totals = finishRun(*scores, spectrum, air, run);
    EXPECT_EQ(resultFileLines(totals, *scores, spectrum, run, beam)[314], "*****");
    run.curtainLeadThickness = 0.0999f;
    EXPECT_EQ(resultFileLines(totals, *scores, spectrum, run, beam)[314], " .999");
}

}  // namespace
}  // namespace korvana::engine
