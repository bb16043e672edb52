// The next-event estimator against the analog scoring, through whole runs.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "common/uncertainty_file.h"
#include "engine/driver/driver.h"
#include "engine/driver/engine_options.h"
#include "engine/run/parallel_run.h"
#include "engine/run/simulation.h"
#include "engine_case.h"

namespace korvana::engine {
namespace {

using namespace korvana::testing;

UncertaintyTable runWith(RunFileValues run, Estimator estimator, const std::string& histories) {
    run.histories = histories;
    run.resultName = std::string(estimatorName(estimator)) + ".data";
    run.write();
    EngineOptions options;
    options.parallel = true;
    options.threads = 2;
    options.seed = 11;
    options.estimator = estimator;
    std::istringstream in;
    std::ostringstream out;
    StreamConsole console(in, out);
    SystemClock clock;
    EXPECT_EQ(runEngine(console, clock, options), 0);
    return readUncertaintyFile(uncertaintyFileName(run.resultName));
}

TEST(NextEventEstimator, AgreesWithTheAnalogScoringAtEveryPoint) {
    struct Case {
        const char* what;
        const char* thicknessCm;
        const char* leadCm;
    };
    // The curtain of 60 cm covers z <= -40 cm: the rays to the backward
    // points (120 to 150 degrees) pass behind it.
    for (const Case& c :
         {Case{"thin object, no curtain", "5.0", "0.000"}, Case{"curtain", "20.0", "0.035"}}) {
        SCOPED_TRACE(c.what);
        ScopedWorkDir dir;
        copyEngineTables();
        writeSpectrum(smoothSpectrum());
        RunFileValues run;
        run.thicknessCm = c.thicknessCm;
        run.leadCm = c.leadCm;
        const UncertaintyTable analog = runWith(run, Estimator::Analog, "2.000E+06");
        const UncertaintyTable nextEvent = runWith(run, Estimator::NextEvent, "1.000E+05");
        EXPECT_EQ(nextEvent.estimator, "next-event");
        for (int j = 0; j < 9; ++j) {
            const KermaUncertainty& a = analog.points[static_cast<std::size_t>(j)];
            const KermaUncertainty& n = nextEvent.points[static_cast<std::size_t>(j)];
            const double sa = a.airKermaRatio * a.relStdError.value_or(0);
            const double sn = n.airKermaRatio * n.relStdError.value_or(0);
            EXPECT_LT(std::fabs(a.airKermaRatio - n.airKermaRatio), 3.0 * std::hypot(sa, sn))
                << "point " << j + 1 << ": analog " << a.airKermaRatio << " next-event "
                << n.airKermaRatio;
            // The point of the estimator: far smaller errors from far fewer histories.
            EXPECT_LT(*n.relStdError, *a.relStdError / 3.0) << "point " << j + 1;
        }
        // The grid's cells, pooled: normalised differences with a root mean
        // square of 1 and no bias, where the analog scoring has enough hits.
        double sum = 0, sumOfSquares = 0;
        int cells = 0;
        for (int i = 0; i < 21; ++i) {
            for (int k = 0; k < 31; ++k) {
                const KermaUncertainty& a =
                    analog.grid[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)];
                const KermaUncertainty& n =
                    nextEvent.grid[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)];
                if (a.fewHistories || !a.relStdError || !n.relStdError) continue;
                const double z =
                    (n.airKermaRatio - a.airKermaRatio) /
                    std::hypot(a.airKermaRatio * *a.relStdError, n.airKermaRatio * *n.relStdError);
                sum += z;
                sumOfSquares += z * z;
                ++cells;
            }
        }
        ASSERT_GT(cells, 300);
        EXPECT_LT(std::fabs(sum / cells), 0.25);
        EXPECT_GT(std::sqrt(sumOfSquares / cells), 0.7);
        EXPECT_LT(std::sqrt(sumOfSquares / cells), 1.4);
    }
}

TEST(NextEventEstimator, CoherentOnlyMediumKeepsTheStartingEnergies) {
    ScopedWorkDir dir;
    copyEngineTables();
    writeSpectrum({{60, 1.0}, {100, 0.5}});
    RunFileValues run;
    run.histories = "2.000E+04";
    run.write();
    auto in = std::make_unique<EngineInputs>();
    loadEngineInputs(*in);
    // Incoherent scattering and absorption all but switched off.
    for (int j = 1; j <= in->tissue.rowCount; ++j) {
        in->tissue.rows[j].incoherent = 1e-30f;
        in->tissue.rows[j].photoelectric = 1e-30f;
    }
    RandomStream stream = RandomStream::withFixedSeed();
    auto scores = std::make_unique<Scores>();
    simulate(
        *in, TransportBuild::Fast, stream, *scores, [](int) {}, nullptr, Estimator::NextEvent);
    for (int j = 1; j <= POINT_COUNT; ++j) {
        const GridTable& spectrum = scores->pointSpectrum[j];
        // A photon keeping 30 or 50 keV is counted in the bin above its label.
        EXPECT_GT(spectrum[61], 0.0f);
        EXPECT_GT(spectrum[101], 0.0f);
        for (int b = 1; b <= GRID_BINS; ++b) {
            if (b == 61 || b == 101) continue;
            EXPECT_LT(spectrum[b], 1e-12f * spectrum[61]) << "point " << j << " bin " << b;
        }
    }
}

// The single stream scores a long run's collisions into totals that grow a
// million times larger than any one contribution. A short run added onto
// totals already holding a thousand times its own (as the later histories of
// a long run are) must add what it adds alone: scored one by one into a float
// total, its contributions fell below the total's last bit and were lost.
TEST(NextEventEstimator, SingleStreamKeepsEveryContributionOfALongRun) {
    ScopedWorkDir dir;
    copyEngineTables();
    writeSpectrum({{50, 1.0}, {70, 1.0}});
    RunFileValues run;
    run.histories = "2.000E+04";
    run.write();
    auto in = std::make_unique<EngineInputs>();
    loadEngineInputs(*in);
    const auto runOnto = [&](const Scores& before) {
        auto scores = std::make_unique<Scores>(before);
        RandomStream stream = RandomStream::withFixedSeed();
        simulate(
            *in, TransportBuild::Fast, stream, *scores, [](int) {}, nullptr, Estimator::NextEvent);
        return scores;
    };
    const auto alone = runOnto(Scores{});
    constexpr float LATER_FACTOR = 1000.0f;
    auto grown = std::make_unique<Scores>();
    for (int j = 1; j <= POINT_COUNT; ++j)
        grown->pointKerma[j] = LATER_FACTOR * alone->pointKerma[j];
    for (int i = 1; i <= GRID_COLUMNS; ++i)
        for (int k = 1; k <= GRID_ROWS; ++k)
            grown->gridKerma[i][k] = LATER_FACTOR * alone->gridKerma[i][k];
    const auto onto = runOnto(*grown);
    // A few hundred roundings of the grown total, each half its last bit
    // (6e-5 of the short run's share) at most: well under 1 %.
    for (int j = 1; j <= POINT_COUNT; ++j) {
        ASSERT_GT(alone->pointKerma[j], 0.0f);
        const double added = double(onto->pointKerma[j]) - double(grown->pointKerma[j]);
        EXPECT_NEAR(added / alone->pointKerma[j], 1.0, 0.01) << "point " << j;
    }
    int cells = 0;
    for (int i = 1; i <= GRID_COLUMNS; ++i) {
        for (int k = 1; k <= GRID_ROWS; ++k) {
            if (alone->gridKerma[i][k] <= 0.0f) continue;
            ++cells;
            const double added = double(onto->gridKerma[i][k]) - double(grown->gridKerma[i][k]);
            EXPECT_NEAR(added / alone->gridKerma[i][k], 1.0, 0.01) << "cell " << i << "," << k;
        }
    }
    EXPECT_GT(cells, GRID_COLUMNS * GRID_ROWS / 2);
}

// An eye point is a disc detector like a measuring point's: placed on a
// point's centre, it gives that point's kerma, the lead on the way included
// (the 120 degree point lies behind the curtain), on either scoring path.
TEST(NextEventEstimator, AnEyePointOnAMeasuringPointGivesItsKerma) {
    ScopedWorkDir dir;
    copyEngineTables();
    writeSpectrum(smoothSpectrum());
    RunFileValues run;
    run.histories = "2.000E+04";
    run.write();
    SceneDescription scene;
    scene.eyePoints = {{"at 90 deg", {100.0, 0.0, 0.0}}, {"at 120 deg", {100.0, 0.0, -57.7}}};
    const auto in = makeEngineInputs(*sharedPhysicsTables("."), readRunFile(RUN_FILE),
                                     loadSpectrum(SPECTRUM_FILE, DescriptorLines::Read), scene);
    for (const ScoringPath path : {ScoringPath::Vector, ScoringPath::Scalar}) {
        SCOPED_TRACE(path == ScoringPath::Vector ? "vector path" : "scalar path");
        ParallelSettings settings;
        settings.threads = 2;
        settings.estimator = Estimator::NextEvent;
        settings.nextEvent.path = path;
        auto scores = std::make_unique<Scores>();
        auto moments = std::make_unique<KermaMoments>();
        simulateParallel(
            *in, settings, *scores, *moments, [](int) {}, [](const ParallelProgress&) {});
        for (const auto& [eye, point] : {std::pair{0, 5}, std::pair{1, 7}}) {
            const double atPoint = scores->pointKerma[static_cast<std::size_t>(point)];
            const double atEye = scores->eyeKerma[static_cast<std::size_t>(eye)];
            const double sigma =
                std::hypot(atPoint * moments->relativeError(KermaMoments::pointIndex(point)),
                           atEye * moments->relativeError(KermaMoments::eyePointIndex(eye)));
            ASSERT_GT(atEye, 0.0) << "eye point " << eye;
            EXPECT_LT(std::fabs(atEye - atPoint), 3.0 * sigma)
                << "eye point " << eye << ": " << atEye << ", point " << point << ": " << atPoint;
        }
    }
}

}  // namespace
}  // namespace korvana::engine
