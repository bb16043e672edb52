// The parallel mode and the uncertainty file, through whole engine runs.
#include "engine/run/parallel_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "common/data_error.h"
#include "common/uncertainty_file.h"
#include "engine/driver/driver.h"
#include "engine/driver/engine_options.h"
#include "engine/transport/random_stream.h"
#include "engine_case.h"
#include "engine_result_file.h"

namespace korvana::engine {
namespace {

using namespace korvana::testing;

struct RunFiles {
    std::string result, uncertainty;
    std::string console;
};

//! Runs the engine on the smooth spectrum of the current directory.
RunFiles runCase(const EngineOptions& options, const std::string& histories,
                 const std::string& name, RunFileValues run = {}) {
    run.histories = histories;
    run.resultName = name;
    run.write();
    std::istringstream in;
    std::ostringstream out;
    StreamConsole console(in, out);
    SystemClock clock;
    EXPECT_EQ(runEngine(console, clock, options), 0);
    return {readWhole(name), readWhole(uncertaintyFileName(name)), out.str()};
}

EngineOptions parallel(int threads, std::uint64_t seed = DEFAULT_SEED) {
    EngineOptions o;
    o.parallel = true;
    o.threads = threads;
    o.seed = seed;
    return o;
}

class ParallelRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        copyEngineTables();
        writeSpectrum(smoothSpectrum());
    }
    ScopedWorkDir dir;
};

TEST_F(ParallelRunTest, UncertaintyFileHoldsTheResultFilesKermas) {
    const RunFiles files = runCase(EngineOptions{}, "2.000E+05", "u.data");
    const UncertaintyTable table = readUncertaintyFile("u.unc.csv");
    const std::vector<std::string> lines = readTextFile("u.data", FileKind::Result).lines;
    for (int j = 0; j < 9; ++j) {
        const double inFile = numbersOfLine(lines[static_cast<std::size_t>(301 + j)])[2];
        const KermaUncertainty& p = table.points[static_cast<std::size_t>(j)];
        // The result file rounds to four digits.
        EXPECT_NEAR(p.airKermaRatio, inFile, 5e-4 * inFile) << "point " << j + 1;
        ASSERT_TRUE(p.relStdError.has_value());
        EXPECT_GT(*p.relStdError, 0.0);
        EXPECT_LT(*p.relStdError, 1.0);
    }
    const std::vector<double> firstRow = numbersOfLine(lines[322]);
    for (int i = 0; i < 21; ++i) {
        EXPECT_NEAR(table.grid[static_cast<std::size_t>(i)][0].airKermaRatio, firstRow[i],
                    5e-4 * firstRow[i]);
    }
    EXPECT_EQ(table.estimator, "analog");
}

TEST_F(ParallelRunTest, FilesDoNotDependOnTheThreadCountButOnTheSeed) {
    const RunFiles one = runCase(parallel(1), "1.000E+05", "t1.data");
    const RunFiles two = runCase(parallel(2), "1.000E+05", "t2.data");
    const RunFiles three = runCase(parallel(3), "1.000E+05", "t3.data");
    EXPECT_TRUE(one.result == two.result && two.result == three.result);
    EXPECT_TRUE(one.uncertainty == two.uncertainty && two.uncertainty == three.uncertainty);
    const RunFiles otherSeed = runCase(parallel(2, 2), "1.000E+05", "s2.data");
    EXPECT_NE(one.result, otherSeed.result);
    EXPECT_NE(one.uncertainty, otherSeed.uncertainty);

    // The console names the mode, and the bins still come in order.
    EXPECT_NE(two.console.find(" Parallel mode: 2 threads, seed 1, analog estimator"),
              std::string::npos);
    EXPECT_LT(two.console.find(" 20 / 160"), two.console.find(" 21 / 160"));
    EXPECT_NE(two.console.find("histories per second"), std::string::npos);
}

TEST_F(ParallelRunTest, AFailingThreadStopsTheRunWithoutAResultFile) {
    // A form-factor table with all its weight above x = 5 1/A passes the load
    // checks, but leaves coherent scattering below 62 keV no angle to accept:
    // a worker reaches the sampling bound.
    std::vector<std::string> lines = readTextFile("ICRUSoft.dat", FileKind::PhysicsTable).lines;
    for (std::size_t i = 27; i < 27 + 45; ++i) {  // the scatter-factor rows
        if (std::stof(lines[i].substr(0, 10)) < 5.0f) lines[i].replace(10, 12, "  .00000E+00");
    }
    writeLines("ICRUSoft.dat", lines);
    RunFileValues run;
    run.histories = "1.000E+05";
    run.write();
    std::istringstream in;
    std::ostringstream out;
    StreamConsole console(in, out);
    SystemClock clock;
    try {
        runEngine(console, clock, parallel(2));
        ADD_FAILURE() << "the run went on";
    } catch (const DataError& e) {
        EXPECT_EQ(e.where().fileName, "ICRUSoft.dat");
        EXPECT_NE(std::string(e.what()).find("coherent scattering at"), std::string::npos)
            << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists("case.data"));
    EXPECT_FALSE(std::filesystem::exists("case.unc.csv"));
}

TEST(BlockStreams, NeighbouringBlocksAndSeedsStartApart) {
    const auto firstDraws = [](std::uint64_t seed, int bin, std::int64_t block) {
        RandomStream s = RandomStream::forBlock(seed, bin, block);
        std::vector<int> draws;
        for (int n = 0; n < 8; ++n) draws.push_back(s.nextInteger());
        return draws;
    };
    const std::vector<int> base = firstDraws(1, 100, 5);
    for (const auto& [seed, bin, block] :
         {std::tuple{1ull, 100, 6ll}, std::tuple{1ull, 100, 4ll}, std::tuple{1ull, 101, 5ll},
          std::tuple{1ull, 99, 5ll}, std::tuple{2ull, 100, 5ll}}) {
        const std::vector<int> other = firstDraws(seed, bin, block);
        EXPECT_NE(other[0], base[0]) << seed << " " << bin << " " << block;
        EXPECT_NE(other, base);
    }
}

TEST(BlockPlan, BlocksOfAFixedSizeCoverEachBin) {
    PreparedSpectrum s;
    s.topBin = 12;
    s.normalised[10] = 0.5f;
    s.normalised[12] = 0.5f;
    const std::vector<HistoryBlock> blocks = planBlocks(s, 2.0f * BLOCK_HISTORIES + 2.0f);
    ASSERT_EQ(blocks.size(), 4u);  // bin 10: full + 1 history; bin 11: none; bin 12 the same
    EXPECT_EQ(blocks[0].bin, 10);
    EXPECT_EQ(blocks[1].histories, 1);
    EXPECT_EQ(blocks[1].index, 1);
    EXPECT_EQ(blocks[2].bin, 12);
    EXPECT_EQ(blocks[2].index, 0);
}

//! (a - b) / combined standard error, per measuring point.
std::vector<double> normalisedDifferences(const UncertaintyTable& a, const UncertaintyTable& b) {
    std::vector<double> z;
    for (int j = 0; j < 9; ++j) {
        const KermaUncertainty& p = a.points[static_cast<std::size_t>(j)];
        const KermaUncertainty& q = b.points[static_cast<std::size_t>(j)];
        const double sp = p.airKermaRatio * p.relStdError.value_or(0);
        const double sq = q.airKermaRatio * q.relStdError.value_or(0);
        z.push_back((p.airKermaRatio - q.airKermaRatio) / std::sqrt(sp * sp + sq * sq));
    }
    return z;
}

TEST_F(ParallelRunTest, ParallelAndExactModesAgreeWithinTheirErrors) {
    runCase(EngineOptions{}, "1.000E+06", "exact.data");
    runCase(parallel(2), "1.000E+06", "par.data");
    const std::vector<double> z = normalisedDifferences(readUncertaintyFile("exact.unc.csv"),
                                                        readUncertaintyFile("par.unc.csv"));
    for (int j = 0; j < 9; ++j) EXPECT_LT(std::fabs(z[static_cast<std::size_t>(j)]), 4.0) << j;
}

//! Pooled over the quantities: the deviation of each replica from the mean of
//! all, in units of the mean reported standard error, corrected for the
//! mean's own share; its root mean square is 1 for honest errors.
double pooledDeviationRms(
    const std::vector<UncertaintyTable>& replicas,
    const std::vector<const KermaUncertainty*> (*quantities)(const UncertaintyTable&)) {
    const double n = static_cast<double>(replicas.size());
    const std::size_t count = quantities(replicas[0]).size();
    double sumOfSquares = 0;
    int terms = 0;
    for (std::size_t q = 0; q < count; ++q) {
        double mean = 0, reported = 0;
        for (const UncertaintyTable& r : replicas) {
            const KermaUncertainty& u = *quantities(r)[q];
            mean += u.airKermaRatio / n;
            reported += u.airKermaRatio * u.relStdError.value_or(0) / n;
        }
        if (!(reported > 0)) continue;
        for (const UncertaintyTable& r : replicas) {
            const double d = (quantities(r)[q]->airKermaRatio - mean) / reported;
            sumOfSquares += d * d * n / (n - 1);
            ++terms;
        }
    }
    return std::sqrt(sumOfSquares / terms);
}

const std::vector<const KermaUncertainty*> points(const UncertaintyTable& t) {
    std::vector<const KermaUncertainty*> all;
    for (const KermaUncertainty& p : t.points) all.push_back(&p);
    return all;
}

const std::vector<const KermaUncertainty*> cells(const UncertaintyTable& t) {
    std::vector<const KermaUncertainty*> all;
    for (const auto& column : t.grid) {
        for (const KermaUncertainty& c : column) all.push_back(&c);
    }
    return all;
}

TEST_F(ParallelRunTest, ReportedErrorsMatchTheSpreadOfIndependentSeeds) {
    std::vector<UncertaintyTable> replicas;
    for (int s = 1; s <= 12; ++s) {
        runCase(parallel(2, static_cast<std::uint64_t>(s) * 7919), "4.000E+05", "r.data");
        replicas.push_back(readUncertaintyFile("r.unc.csv"));
    }
    const double rms = pooledDeviationRms(replicas, points);
    RecordProperty("rms", std::to_string(rms));
    EXPECT_GT(rms, 0.7);
    EXPECT_LT(rms, 1.4);
}

TEST_F(ParallelRunTest, NextEventErrorsMatchTheSpreadOfIndependentSeedsOnTheMap) {
    // The map's cells are chosen evenly within each batch of histories, which
    // makes the estimate steadier than independent histories would: errors
    // taken from the histories' spread would be too large, not honest. A thin
    // object without curtain shows it most.
    RunFileValues thin;
    thin.thicknessCm = "1.0";
    thin.leadCm = "0.000";
    thin.curtainLengthCm = "0.0";
    std::vector<UncertaintyTable> replicas;
    for (int s = 1; s <= 6; ++s) {
        EngineOptions options = parallel(2, static_cast<std::uint64_t>(s) * 104729);
        options.estimator = Estimator::NextEvent;
        runCase(options, "4.000E+05", "r.data", thin);
        replicas.push_back(readUncertaintyFile("r.unc.csv"));
    }
    const double rms = pooledDeviationRms(replicas, cells);
    RecordProperty("rms", std::to_string(rms));
    EXPECT_GT(rms, 0.8);
    EXPECT_LT(rms, 1.25);
}

TEST(EngineOptions, RefusalsAndTheModesTheySelect) {
    std::ostringstream help;
    const auto parse = [&help](std::vector<std::string> args) {
        return parseEngineOptions(args, help);
    };
    EXPECT_FALSE(parse({}).parallel);
    const EngineOptions all = parse({"--threads", "0"});
    EXPECT_TRUE(all.parallel);
    EXPECT_EQ(all.threads, 0);
    EXPECT_EQ(all.seed, DEFAULT_SEED);
    const EngineOptions seeded = parse({"--seed=42", "--estimator", "next-event"});
    EXPECT_TRUE(seeded.parallel);
    EXPECT_EQ(seeded.seed, 42u);
    EXPECT_EQ(seeded.estimator, Estimator::NextEvent);
    EXPECT_TRUE(parse({"--help"}).helpShown);
    EXPECT_NE(help.str().find("--threads"), std::string::npos);

    for (const std::vector<std::string>& refused :
         std::vector<std::vector<std::string>>{{"--threads"},
                                               {"--threads", "-1"},
                                               {"--threads", "two"},
                                               {"--threads", "1.5"},
                                               {"--seed"},
                                               {"--seed", "-3"},
                                               {"--seed", "0x10"},
                                               {"--estimator", "fast"},
                                               {"--thread", "2"},
                                               {"extra"}}) {
        EXPECT_THROW(parse(refused), OptionsError) << refused[0];
    }
}

TEST(EngineOptions, EverySixtyFourBitSeedIsTakenAndALargerOneNamedAsSuch) {
    std::ostringstream help;
    EXPECT_EQ(parseEngineOptions({"--seed", "18446744073709551615"}, help).seed,
              UINT64_C(18446744073709551615));
    EXPECT_EQ(parseEngineOptions({"--seed", "00000000000000000000042"}, help).seed, 42u);
    try {
        parseEngineOptions({"--seed", "18446744073709551616"}, help);
        ADD_FAILURE() << "2^64 taken as a seed";
    } catch (const OptionsError& e) {
        EXPECT_NE(std::string(e.what()).find("is larger than 18446744073709551615"),
                  std::string::npos)
            << e.what();
    }
}

}  // namespace
}  // namespace korvana::engine
