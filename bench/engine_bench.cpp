// Engine throughput on the default case, all in one run:
//  - the single-stream mode's fast build of the history loop, without and with
//    the uncertainty bookkeeping, against the literal reference build, with
//    their result files compared byte for byte;
//  - the parallel mode with one thread and with every core, against the
//    single-stream mode;
//  - precision per second at the measuring points: the analog scoring and
//    the next-event estimator at equal wall time on every core, with the
//    figure of merit 1/(relative error^2 x time) of each point.
//
// usage: engine_bench [histories]   (default 2e6)
// Prints histories per second, scored escapes, wall time and the ratios.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/spectrum/generate_spectrum.h"
#include "app/spectrum/material_tables.h"
#include "engine/run/parallel_run.h"
#include "engine/run/result_file.h"
#include "engine/run/simulation.h"
#include "engine/transport/random_stream.h"

namespace {

using namespace korvana;
using namespace korvana::engine;

struct Measurement {
    double seconds = 0;
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
                            Estimator estimator = Estimator::Analog) {
    auto scores = std::make_unique<Scores>();
    auto moments = std::make_unique<KermaMoments>();
    Measurement m;
    ParallelSettings settings;
    settings.threads = threads;
    settings.estimator = estimator;
    const auto start = std::chrono::steady_clock::now();
    m.histories = simulateParallel(
        in, settings, *scores, *moments, [](int) {}, [](const ParallelProgress&) {});
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

double rate(const Measurement& m) { return static_cast<double>(m.histories) / m.seconds; }

void report(const char* name, const Measurement& m) {
    std::printf("%-22s %12lld histories %10.3f s %12.0f histories/s %10lld scored escapes\n", name,
                static_cast<long long>(m.histories), m.seconds, m.histories / m.seconds,
                static_cast<long long>(m.scoredEscapes));
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const double histories = argc > 1 ? std::atof(argv[1]) : 2e6;
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

    const bool same = fast.lines == literal.lines && fast.scoredEscapes == literal.scoredEscapes &&
                      bare.lines == fast.lines;
    std::printf("result files byte-identical (fast, literal, without error bars): %s\n",
                same ? "yes" : "NO");
    fs::current_path(data);
    fs::remove_all(work);
    return same ? 0 : 1;
}
