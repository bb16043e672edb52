// Whole runs on short history counts: reproducibility, the fast build against
// the reference, and physics that must hold whatever the random numbers.
#include "engine/run/simulation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "common/text_file.h"
#include "engine/run/result_file.h"
#include "engine/transport/fast_physics.h"
#include "engine/transport/literal_physics.h"
#include "engine_case.h"
#include "engine_result_file.h"

namespace korvana::engine {
namespace {

using namespace korvana::testing;

std::vector<double> numbersOf(const std::string& line) { return numbersOfLine(line); }

class SimulationTest : public ::testing::Test {
protected:
    void SetUp() override {
        copyEngineTables();
        writeSpectrum(smoothSpectrum());
    }
    std::vector<std::string> runCase(TransportBuild build = TransportBuild::Fast) {
        return engineResultLines(run, build);
    }
    ScopedWorkDir dir;
    RunFileValues run;
};

TEST_F(SimulationTest, RunsAreReproducibleAndTheFastBuildMatchesTheReference) {
    const std::vector<std::string> first = runCase();
    EXPECT_EQ(runCase(), first);
    EXPECT_EQ(runCase(TransportBuild::Literal), first);
    ASSERT_EQ(first.size(), 353u);
    // Something was scored at the measuring points nearest to the object.
    for (int j = 4; j <= 7; ++j) EXPECT_GT(numbersOf(first[301 + j - 1])[1], 0.0) << j;
}

TEST_F(SimulationTest, NoLeadGivesTheSameResultsAsAnOpenCurtain) {
    run.focusSurfaceDistanceCm = "999.9";  // far enough for the longest curtain, 999.9 cm
    run.leadCm = "0.000";
    const std::vector<std::string> noLead = runCase();
    run.leadCm = "0.035";
    run.curtainLengthCm = "999.0";  // covers nothing any path to the scoring planes crosses
    const std::vector<std::string> open = runCase();
    for (std::size_t i = 0; i < noLead.size(); ++i) {
        if (i == 314 || i == 315) continue;  // the curtain's own lines
        ASSERT_EQ(noLead[i], open[i]) << "line " << i + 1;
    }
}

TEST_F(SimulationTest, ThickerLeadNeverRaisesAnyKerma) {
    run.leadCm = "0.035";
    const std::vector<std::string> thin = runCase();
    run.leadCm = "0.070";
    const std::vector<std::string> thick = runCase();
    int lowered = 0;
    for (int line = 302; line <= 310; ++line) {
        const double a = numbersOf(thin[line - 1])[2], b = numbersOf(thick[line - 1])[2];
        EXPECT_LE(b, a) << "line " << line;
        lowered += b < a;
    }
    for (int line = 323; line <= 353; ++line) {
        const std::vector<double> a = numbersOf(thin[line - 1]), b = numbersOf(thick[line - 1]);
        for (std::size_t i = 0; i < a.size(); ++i) ASSERT_LE(b[i], a[i]) << line << ":" << i;
    }
    EXPECT_GE(lowered, 1) << "the points behind the curtain get less";
}

TEST_F(SimulationTest, PointsNoPhotonReachesGetZerosInsteadOfACrash) {
    // Lead a thousand times as attenuating: nothing passes the covered part,
    // the transmissions underflow to 0.
    std::vector<std::string> dense;
    for (const std::string& line : readTextFile("Pb.dat", FileKind::PhysicsTable).lines) {
        char value[16];
        std::snprintf(value, sizeof value, "%12.4E", std::stod(line.substr(9, 12)) * 1000);
        dense.push_back(line.substr(0, 9) + value);
    }
    writeLines("Pb.dat", dense);
    run.leadCm = "0.500";
    run.curtainLengthCm = "0.0";  // the curtain reaches the exit surface
    const std::vector<std::string> lines = runCase();
    EXPECT_EQ(lines[314], "5.000");
    for (int j = 5; j <= 9; ++j) {  // every path from the object down to z <= 0 crosses the lead
        EXPECT_EQ(lines[301 + j - 1], " .0000E+00   .0000E+00   .0000E+00") << j;
        for (int b = 0; b < 300; ++b) {
            ASSERT_EQ(numbersOf(lines[b])[1 + j], 0.0) << "bin " << b + 1 << " point " << j;
        }
    }
}

TEST_F(SimulationTest, CoherentOnlyHistoriesScoreAtTheirStartingEnergyOneBinUp) {
    // A tissue in which only coherent scattering happens.
    const TextLines shipped = readTextFile("ICRUSoft.dat", FileKind::PhysicsTable);
    const int rows = std::atoi(shipped.lines[0].c_str());
    std::vector<std::string> lines = {shipped.lines[0], shipped.lines[1]};
    for (int j = 0; j < rows; ++j) {
        std::string row = shipped.lines[2 + j];
        row.replace(9, 10, " .100E+00");
        row.replace(19, 20, " .100E-29 .100E-29");
        lines.push_back(row);
    }
    lines.insert(lines.end(), shipped.lines.begin() + 2 + rows, shipped.lines.end());
    writeLines("ICRUSoft.dat", lines);
    writeSpectrum({{60, 1.0}});  // 30 keV

    const std::vector<std::string> result = runCase();
    double scored = 0;
    for (int b = 1; b <= 300; ++b) {
        const std::vector<double> values = numbersOf(result[b - 1]);
        for (int j = 1; j <= 9; ++j) {
            if (b != 61) {
                ASSERT_EQ(values[1 + j], 0.0) << "bin " << b << " point " << j;
            }
            scored += values[1 + j];
        }
    }
    EXPECT_GT(scored, 0.0);
}

TEST(FastLookups, MatchTheReferenceBitForBit) {
    const TissueTables tissue = loadTissueTables(std::string(KORVANA_DATA_DIR) + "/ICRUSoft.dat");
    FastPhysics fast(tissue);
    LiteralPhysics literal(tissue);
    for (float E = 4.0f; E < 152.0f; E = std::nextafter(E + 0.0137f, 200.0f)) {
        const TissueCoefficients a = literal.coefficients(E), b = fast.coefficients(E);
        ASSERT_EQ(a.total, b.total) << E;
        ASSERT_EQ(a.photoFraction, b.photoFraction) << E;
        ASSERT_EQ(a.photoCoherentFraction, b.photoCoherentFraction) << E;
        ASSERT_EQ(b.total, fast.coefficients(E).total) << "cached value at " << E;
        ASSERT_EQ(literal.totalCoefficient(E), fast.totalCoefficient(E)) << E;
    }
    for (int bin = 1; bin <= 300; ++bin) {
        const float E = static_cast<float>(bin) * 0.5f;
        ASSERT_EQ(literal.coefficients(E).total, fast.coefficients(E).total) << E;
    }
    for (float x = 0.0f; x < 12.0f; x += 0.00731f) {
        ASSERT_EQ(literal.incoherentFunctionAt(x), fast.incoherentFunctionAt(x)) << x;
    }
    RandomStream a = RandomStream::withFixedSeed();
    RandomStream b = RandomStream::withFixedSeed();
    for (int i = 0; i < 100000; ++i) {
        float ca = 0, sa = 0, cb = 0, sb = 0;
        literal.azimuth(a, ca, sa);
        fast.azimuth(b, cb, sb);
        ASSERT_EQ(ca, cb);
        ASSERT_EQ(sa, sb);
        ASSERT_EQ(literal.coherentX(a), fast.coherentX(b));
        float ra = 0, rb = 0;
        ASSERT_EQ(literal.flightLength(a, 0.2f, ra), fast.flightLength(b, 0.2f, rb));
        ASSERT_EQ(ra, rb);
        // Incoherent scattering at grid energies (kept per draw) and between them.
        const float E = i % 3 == 0 ? 40.5f + 0.1f * static_cast<float>(i % 7)
                                   : static_cast<float>(20 + i % 5 * 60) * 0.5f;
        const ScatteringResult ia = literal.incoherent(E, a), ib = fast.incoherent(E, b);
        ASSERT_EQ(ia.energy, ib.energy) << E;
        ASSERT_EQ(ia.cosTheta, ib.cosTheta) << E;
        ASSERT_EQ(ia.sinTheta, ib.sinTheta) << E;
        ASSERT_EQ(literal.coefficients(ia.energy).total, fast.coefficients(ib.energy).total);
    }
    EXPECT_EQ(a.next(), b.next()) << "both consumed the same draws";
}

}  // namespace
}  // namespace korvana::engine
