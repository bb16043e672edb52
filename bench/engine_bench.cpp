// Engine throughput on the default case, all in one run:
//  - the single-stream mode's fast build of the history loop, without and with
//    the uncertainty bookkeeping, against the literal reference build, with
//    their result files compared byte for byte;
//  - the parallel mode with one thread and with every core, against the
//    single-stream mode;
//  - precision per second at the measuring points: the analog scoring and
//    the next-event estimator at equal wall time on every core, with the
//    figure of merit 1/(relative error^2 x time) of each point;
//  - the next-event estimator on every core, its vector scoring with its
//    cells per collision against the previous scalar path with 4, runs
//    alternating and the fastest of three kept: the time to a 1 % median cell
//    error on the map and to 1 % at all nine points (extrapolated from the
//    fixed run by the 1/sqrt(N) law, then checked by one direct run of the
//    histories that predicts), and rays per second; and the scoring alone on
//    one thread over the collisions of real histories, rays per second per
//    path and instruction set;
//  - the next-event estimator in a room with a ceiling shield and a table
//    against the default scene.
//
// usage: engine_bench [histories] [next-event histories]   (defaults 2e6 and 1e6)
//        engine_bench profile scalar|vector [next-event histories] [cells]
//        engine_bench room [next-event histories]
// Prints histories per second, scored escapes, wall time and the ratios. The
// second form runs only the next-event estimator on every core with the one
// path (the scalar one with 4 cells, the vector one with its default), for a
// profiler. The third runs only the comparison of the room with the default
// scene.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "app/spectrum/generate_spectrum.h"
#include "app/spectrum/material_tables.h"
#include "engine/run/histories.h"
#include "engine/run/parallel_run.h"
#include "engine/run/result_file.h"
#include "engine/run/simulation.h"
#include "engine/transport/random_stream.h"

namespace {

using namespace korvana;
using namespace korvana::engine;

struct Measurement {
    double seconds = 0;
    double cpuSeconds = 0;  //!< the process's processor time over every thread
    std::int64_t histories = 0;
    std::int64_t scoredEscapes = 0;
    std::vector<std::string> lines;
    std::array<double, POINT_COUNT + 1> relativeError{};  //!< [point 1..9]
    double medianCellError = 0;  //!< median relative error over the grid cells
};

enum class Bookkeeping { Off, On };

Measurement measure(const EngineInputs& in, TransportBuild build, Bookkeeping bookkeeping) {
    RandomStream stream = RandomStream::withFixedSeed();
    auto scores = std::make_unique<Scores>();
    auto moments = std::make_unique<KermaMoments>();
    Measurement m;
    const auto start = std::chrono::steady_clock::now();
    simulate(
        in, build, stream, *scores,
        [&](int bin) { m.histories += binPhotonCount(in.spectrum, bin, in.run.historyCount); },
        bookkeeping == Bookkeeping::On ? moments.get() : nullptr);
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.scoredEscapes = scores->scoredEscapes;
    const RunTotals totals = finishRun(*scores, in.spectrum, in.air, in.run);
    m.lines = resultFileLines(totals, *scores, in.spectrum, in.run, in.spectrumFile.descriptor);
    return m;
}

Measurement measureParallel(const EngineInputs& in, int threads,
                            Estimator estimator = Estimator::Analog,
                            NextEventScoring nextEvent = {}) {
    auto scores = std::make_unique<Scores>();
    auto moments = std::make_unique<KermaMoments>();
    Measurement m;
    ParallelSettings settings;
    settings.threads = threads;
    settings.estimator = estimator;
    settings.nextEvent = nextEvent;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    m.histories = simulateParallel(
        in, settings, *scores, *moments, [](int) {}, [](const ParallelProgress&) {});
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    m.scoredEscapes = scores->scoredEscapes;
    for (int j = 1; j <= POINT_COUNT; ++j) {
        m.relativeError[j] = moments->relativeError(KermaMoments::pointIndex(j));
    }
    std::vector<double> cells;
    for (int i = 1; i <= GRID_COLUMNS; ++i) {
        for (int k = 1; k <= GRID_ROWS; ++k) {
            cells.push_back(moments->relativeError(KermaMoments::cellIndex(i, k)));
        }
    }
    std::nth_element(cells.begin(), cells.begin() + cells.size() / 2, cells.end());
    m.medianCellError = cells[cells.size() / 2];
    return m;
}

double largestPointError(const Measurement& m) {
    return *std::max_element(m.relativeError.begin() + 1, m.relativeError.end());
}

//! Keeps every collision of the histories it sees, for the scoring alone.
struct CollisionRecorder {
    struct Site {
        Photon photon;
        TissueCoefficients mu;
    };
    std::vector<Site> sites;
    void open(const TallyTarget&, SequencePosition&) {}
    template <class Physics>
    void collision(const Photon& photon, const TissueCoefficients& mu, const Physics&) {
        sites.push_back({photon, mu});
    }
    void escape(const Photon&, float, float, float) {}
    void endHistory() {}
};

//! The collisions of about `histories` histories of the run's spectrum.
std::vector<CollisionRecorder::Site> recordCollisions(const EngineInputs& in, float histories) {
    CollisionRecorder recorder;
    FastPhysics physics(in.tissue);
    RandomStream stream = RandomStream::withFixedSeed();
    const PhantomBox box = phantomBoxFor(in.run);
    for (int bin = FIRST_SIMULATED_BIN; bin <= in.spectrum.topBin; ++bin) {
        const std::int64_t count = binPhotonCount(in.spectrum, bin, histories);
        for (std::int64_t n = 0; n < count; ++n) {
            runHistory(binEnergyKev(bin), in.run, box, physics, recorder, stream);
        }
    }
    return std::move(recorder.sites);
}

//! Rays per second of the scoring alone, on one thread, over `sites`.
double scoringRaysPerSecond(const EngineInputs& in,
                            const std::vector<CollisionRecorder::Site>& sites,
                            NextEventScoring settings) {
    const ScoringContext scoring = scoringContextFor(in);
    NextEventScorer scorer(in.tissue, scoring, settings);
    FastPhysics physics(in.tissue);
    const auto totalAt = [&physics](float E) { return physics.totalCoefficient(E); };
    auto scores = std::make_unique<Scores>();
    auto history = std::make_unique<HistoryContributions>();
    const ScoringSequence sequence = ScoringSequence::forBlock(1, 100, 0);
    double best = 1e300;
    for (int repeat = 0; repeat < 3; ++repeat) {
        const auto start = std::chrono::steady_clock::now();
        std::uint64_t n = 0;
        for (const CollisionRecorder::Site& site : sites) {
            scorer.scoreCollision(site.photon, site.mu, totalAt, sequence, n++, *scores, *history);
            if (n % 64 == 0) history->endHistory(nullptr);
        }
        history->endHistory(nullptr);
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return static_cast<double>(sites.size()) * (POINT_COUNT + settings.cellsPerCollision) / best;
}

double rate(const Measurement& m) { return static_cast<double>(m.histories) / m.seconds; }

void report(const char* name, const Measurement& m) {
    std::printf("%-22s %12lld histories %10.3f s %12.0f histories/s %10lld scored escapes\n", name,
                static_cast<long long>(m.histories), m.seconds, m.histories / m.seconds,
                static_cast<long long>(m.scoredEscapes));
}

//! The next-event estimator in a room with a ceiling shield and an exit-side
//! table against the default scene `in`, on every core, runs alternating,
//! the fastest of three of each.
void compareRoom(const EngineInputs& in, const std::filesystem::path& tables, int cores) {
    SceneDescription room;
    room.shields = {SceneShield{"ceiling", 0.5, {55, 0, -45}, 60, 75, 0}};
    room.table = SceneTable{1.2, TableSide::Exit, 50};
    const std::unique_ptr<EngineInputs> inRoom =
        makeEngineInputs(*sharedPhysicsTables(tables), in.run, in.spectrumFile, room);
    Measurement plain, shielded;
    double plainProcessor = 0, shieldedProcessor = 0;  // the least processor time of each
    for (int repeat = 0; repeat < 3; ++repeat) {
        const Measurement a = measureParallel(in, cores, Estimator::NextEvent);
        const Measurement b = measureParallel(*inRoom, cores, Estimator::NextEvent);
        if (repeat == 0 || a.seconds < plain.seconds) plain = a;
        if (repeat == 0 || b.seconds < shielded.seconds) shielded = b;
        if (repeat == 0 || a.cpuSeconds < plainProcessor) plainProcessor = a.cpuSeconds;
        if (repeat == 0 || b.cpuSeconds < shieldedProcessor) shieldedProcessor = b.cpuSeconds;
    }
    report("next-event, default", plain);
    report("next-event, room", shielded);
    // The processor time tells the cost on a machine others share too (the
    // histories are the same in both).
    std::printf(
        "next-event in a room (0.5 mm Pb ceiling shield, 1.2 mm Al exit-side table) against the "
        "default scene: %+.1f %% histories/s, %+.1f %% histories per processor second\n",
        100.0 * (rate(shielded) / rate(plain) - 1.0),
        100.0 * (plainProcessor / shieldedProcessor - 1.0));
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const bool profile = argc > 2 && std::string(argv[1]) == "profile";
    const bool roomOnly = argc > 1 && std::string(argv[1]) == "room";
    const double histories = argc > 1 && !profile && !roomOnly ? std::atof(argv[1]) : 2e6;
    const fs::path data = KORVANA_DATA_DIR;
    const fs::path work = fs::temp_directory_path() / "korvana-engine-bench";
    fs::create_directories(work);
    for (const char* table : {"ICRUSoft.dat", "MU_en2016.dat", "Pb.dat", "Tungsten.dat",
                              "Aluminum.atc", "Copper.dat"}) {
        fs::copy_file(data / table, work / table, fs::copy_options::overwrite_existing);
    }
    fs::copy_file(data / "example" / "B2F.txt", work / "B2F.txt",
                  fs::copy_options::overwrite_existing);
    fs::current_path(work);
    // The default beam as the main form computes it: 80 kV constant potential,
    // 12 degrees, 2.5 mm Al inherent and 1.5 mm Al added.
    korvana::app::generateSpectrum(korvana::app::ConditionTexts{},
                                   korvana::app::RectificationMode::ConstantPotential,
                                   korvana::app::loadMaterialTables());

    auto in = std::make_unique<EngineInputs>();
    loadEngineInputs(*in);
    in->run.historyCount = static_cast<float>(histories);
    std::printf(
        "default case: 80 kV CP, 12 deg, 2.5 + 1.5 mm Al; %.0f mm object, FSD %.0f cm, %.0f x %.0f "
        "cm field, "
        "%.2f mm Pb curtain of %.0f cm; %.3g histories asked\n",
        in->run.phantomThickness * 10, in->run.focusSurfaceDistance, in->run.fieldSizeX,
        in->run.fieldSizeY, in->run.curtainLeadThickness * 10, in->run.curtainLength, histories);

    const int cores = availableCores();
    if (roomOnly) {
        in->run.historyCount = argc > 2 ? static_cast<float>(std::atof(argv[2])) : 1e6f;
        compareRoom(*in, work, cores);
        fs::current_path(data);
        fs::remove_all(work);
        return 0;
    }
    if (profile) {
        const bool scalar = std::string(argv[2]) == "scalar";
        in->run.historyCount = argc > 3 ? static_cast<float>(std::atof(argv[3])) : 1e6f;
        NextEventScoring scoring{scalar ? ScoringPath::Scalar : ScoringPath::Vector,
                                 scalar ? 4 : NEXT_EVENT_CELLS_PER_COLLISION};
        if (argc > 4) scoring.cellsPerCollision = std::atoi(argv[4]);
        const Measurement m = measureParallel(*in, cores, Estimator::NextEvent, scoring);
        report(scalar ? "next-event, scalar" : "next-event, vector", m);
        std::printf("%d cells: median cell error %.3f %%, worst point %.3f %%\n",
                    scoring.cellsPerCollision, 100.0 * m.medianCellError,
                    100.0 * largestPointError(m));
        fs::current_path(data);
        fs::remove_all(work);
        return 0;
    }
    const Measurement bare = measure(*in, TransportBuild::Fast, Bookkeeping::Off);
    report("exact, no error bars", bare);
    const Measurement fast = measure(*in, TransportBuild::Fast, Bookkeeping::On);
    report("exact (single stream)", fast);
    const Measurement literal = measure(*in, TransportBuild::Literal, Bookkeeping::On);
    report("exact, literal build", literal);
    const Measurement one = measureParallel(*in, 1);
    report("parallel, 1 thread", one);
    const Measurement all = measureParallel(*in, cores);
    char allName[40];
    std::snprintf(allName, sizeof allName, "parallel, %d threads", cores);
    report(allName, all);

    std::printf("speed ratio fast/literal: %.2f\n", rate(fast) / rate(literal));
    std::printf("cost of the error bars in the exact mode: %+.1f %%\n",
                100.0 * (rate(bare) / rate(fast) - 1.0));
    std::printf("parallel 1 thread / exact: %.3f\n", rate(one) / rate(fast));
    std::printf("parallel %d threads / exact: %.3f\n", cores, rate(all) / rate(fast));

    // Precision per second: the next-event estimator for as long as the analog run took.
    const float asked = in->run.historyCount;
    in->run.historyCount = asked / 50.0f;
    const Measurement pilot = measureParallel(*in, cores, Estimator::NextEvent);
    in->run.historyCount = static_cast<float>(rate(pilot) * all.seconds);
    const Measurement nextEvent = measureParallel(*in, cores, Estimator::NextEvent);
    in->run.historyCount = asked;
    report("next-event, all threads", nextEvent);
    const auto merit = [](const Measurement& m, int j) {
        return 1.0 / (m.relativeError[j] * m.relativeError[j] * m.seconds);
    };
    std::printf("%6s %14s %14s %12s %12s %8s\n", "point", "analog error", "next-event",
                "FOM analog", "FOM n-e", "ratio");
    double smallestRatio = 1e300;
    for (int j = 1; j <= POINT_COUNT; ++j) {
        const double ratio = merit(nextEvent, j) / merit(all, j);
        smallestRatio = std::min(smallestRatio, ratio);
        std::printf("%4d deg %12.3f %% %12.4f %% %12.4g %12.4g %8.1f\n", 15 + 15 * j,
                    100.0 * all.relativeError[j], 100.0 * nextEvent.relativeError[j], merit(all, j),
                    merit(nextEvent, j), ratio);
    }
    std::printf(
        "figure of merit next-event / analog at 90 and 120 deg: %.1f, %.1f; smallest of "
        "the nine: %.1f\n",
        merit(nextEvent, 5) / merit(all, 5), merit(nextEvent, 7) / merit(all, 7), smallestRatio);

    const auto mapMerit = [](const Measurement& m) {
        return 1.0 / (m.medianCellError * m.medianCellError * m.seconds);
    };
    std::printf(
        "map: median cell error %.3f %% analog, %.3f %% next-event; figure of merit "
        "next-event / analog %.1f\n",
        100.0 * all.medianCellError, 100.0 * nextEvent.medianCellError,
        mapMerit(nextEvent) / mapMerit(all));

    // The map and the points as fast as possible: the vector scoring against
    // the previous scalar path, on every core, runs alternating.
    const float nextEventHistories = argc > 2 ? static_cast<float>(std::atof(argv[2])) : 1e6f;
    const std::vector<CollisionRecorder::Site> sites = recordCollisions(*in, 2e4f);
    const double collisionsPerHistory = static_cast<double>(sites.size()) / 2e4;
    struct Path {
        const char* name;
        NextEventScoring scoring;
        Measurement best;
    };
    std::array<Path, 3> paths = {
        Path{"scalar, 4 cells (before)", {ScoringPath::Scalar, 4}, {}},
        Path{"vector, 4 cells", {ScoringPath::Vector, 4}, {}},
        Path{"vector, default cells", {ScoringPath::Vector, NEXT_EVENT_CELLS_PER_COLLISION}, {}}};
    std::snprintf(allName, sizeof allName, "vector, %d cells", NEXT_EVENT_CELLS_PER_COLLISION);
    paths[2].name = allName;
    in->run.historyCount = nextEventHistories;
    for (int repeat = 0; repeat < 3; ++repeat) {
        for (Path& path : paths) {
            const Measurement m = measureParallel(*in, cores, Estimator::NextEvent, path.scoring);
            if (repeat == 0 || m.seconds < path.best.seconds) path.best = m;
        }
    }
    std::printf(
        "\nnext-event on %d threads, %.3g histories, fastest of 3 alternating runs; vector code "
        "%s; %.2f collisions per history\n",
        cores, static_cast<double>(nextEventHistories), rayCodes().front().instructionSet,
        collisionsPerHistory);
    std::printf("%-26s %9s %12s %11s %11s %11s %11s %13s\n", "path", "time [s]", "histories/s",
                "median cell", "worst point", "map to 1 %", "9 pts to 1 %", "rays/s");
    const auto toOnePercent = [](double seconds, double error) {
        return seconds * (error / 0.01) * (error / 0.01);
    };
    for (const Path& path : paths) {
        const Measurement& m = path.best;
        const double rays = static_cast<double>(m.histories) * collisionsPerHistory *
                            (POINT_COUNT + path.scoring.cellsPerCollision);
        std::printf("%-26s %9.3f %12.0f %9.3f %% %9.3f %% %9.3f s %9.4f s %13.4g\n", path.name,
                    m.seconds, rate(m), 100.0 * m.medianCellError, 100.0 * largestPointError(m),
                    toOnePercent(m.seconds, m.medianCellError),
                    toOnePercent(m.seconds, largestPointError(m)), rays / m.seconds);
    }
    const Path& before = paths[0];
    const Path& after = paths[2];
    std::printf("time to 1 %% on the map, before / after: %.2f; at the nine points: %.2f\n",
                toOnePercent(before.best.seconds, before.best.medianCellError) /
                    toOnePercent(after.best.seconds, after.best.medianCellError),
                toOnePercent(before.best.seconds, largestPointError(before.best)) /
                    toOnePercent(after.best.seconds, largestPointError(after.best)));
    // The extrapolations checked by direct runs of the histories they predict.
    for (const bool map : {true, false}) {
        const double error = map ? after.best.medianCellError : largestPointError(after.best);
        in->run.historyCount =
            static_cast<float>(nextEventHistories * (error / 0.01) * (error / 0.01));
        const Measurement direct = measureParallel(*in, cores, Estimator::NextEvent, after.scoring);
        std::printf(
            "direct run, %s, %s: %.3g histories, %.3f s, median cell %.3f %%, worst point "
            "%.3f %%\n",
            after.name, map ? "map to 1 %" : "nine points to 1 %",
            static_cast<double>(direct.histories), direct.seconds, 100.0 * direct.medianCellError,
            100.0 * largestPointError(direct));
    }
    in->run.historyCount = asked;

    in->run.historyCount = nextEventHistories;
    compareRoom(*in, work, cores);
    in->run.historyCount = asked;

    // What every thread builds before its first history.
    {
        const auto start = std::chrono::steady_clock::now();
        auto physics = std::make_unique<FastPhysics>(in->tissue);
        const auto built = std::chrono::steady_clock::now();
        const ScoringContext scoring = scoringContextFor(*in);
        auto scorer = std::make_unique<NextEventScorer>(in->tissue, scoring);
        const auto scored = std::chrono::steady_clock::now();
        std::printf("start of a thread: transport tables %.1f ms, next-event scorer %.1f ms\n",
                    1e3 * std::chrono::duration<double>(built - start).count(),
                    1e3 * std::chrono::duration<double>(scored - built).count());
    }

    // The scoring alone, one thread, the same collisions for every path.
    std::printf("scoring alone, one thread, %zu collisions of real histories:\n", sites.size());
    for (const NextEventScoring scoring :
         {NextEventScoring{ScoringPath::Scalar, 4}, NextEventScoring{ScoringPath::Vector, 4},
          NextEventScoring{ScoringPath::Scalar, NEXT_EVENT_CELLS_PER_COLLISION},
          NextEventScoring{ScoringPath::Vector, NEXT_EVENT_CELLS_PER_COLLISION}}) {
        std::printf("  %-7s %2d cells: %12.4g rays/s\n",
                    scoring.path == ScoringPath::Vector ? "vector" : "scalar",
                    scoring.cellsPerCollision, scoringRaysPerSecond(*in, sites, scoring));
    }

    const bool same = fast.lines == literal.lines && fast.scoredEscapes == literal.scoredEscapes &&
                      bare.lines == fast.lines;
    std::printf("result files byte-identical (fast, literal, without error bars): %s\n",
                same ? "yes" : "NO");
    fs::current_path(data);
    fs::remove_all(work);
    return same ? 0 : 1;
}
