// The expected wall time of a run: its scaling with the histories, threads
// and estimator, the refinement by finished runs, and the kept file.
#include "app/run/run_time_estimate.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

#include "temp_dir.h"

namespace korvana::app {
namespace {

RunRates ratesOf(double analog, double nextEvent) {
    RunRates rates;
    rates.analog.historiesPerSecondPerThread = analog;
    rates.nextEvent.historiesPerSecondPerThread = nextEvent;
    return rates;
}

TEST(RunTimeEstimate, TimeGrowsWithHistoriesAndShrinksWithThreads) {
    const RunRates rates = ratesOf(1e5, 2e4);
    EXPECT_DOUBLE_EQ(expectedRunSeconds(rates, 1e7, 1, "analog"), 100.0);
    EXPECT_DOUBLE_EQ(expectedRunSeconds(rates, 1e7, 4, "analog"), 25.0);
    EXPECT_DOUBLE_EQ(expectedRunSeconds(rates, 1e7, 1, "next-event"), 500.0);
    EXPECT_DOUBLE_EQ(expectedRunSeconds(rates, 1e7, 0, "analog"), 100.0);  // at least one thread
    EXPECT_EQ(expectedRunSeconds(rates, 0, 2, "analog"), 0.0);
    EXPECT_GT(expectedRunSeconds(seedRunRates(), 5e8, 2, "analog"), 0.0);
}

TEST(RunTimeEstimate, FinishedRunsReplaceTheSeedThenEnterAMean) {
    RunRates rates = ratesOf(1e5, 2e4);
    // The first run on this machine, 4e6 histories in 10 s on 2 threads, replaces the seed.
    ASSERT_TRUE(refineRunRates(rates, 4e6, 10.0, 2, "analog"));
    EXPECT_DOUBLE_EQ(rates.analog.historiesPerSecondPerThread, 2e5);
    EXPECT_EQ(rates.analog.runs, 1);
    ASSERT_TRUE(refineRunRates(rates, 1e6, 10.0, 1, "analog"));    // 1e5
    ASSERT_TRUE(refineRunRates(rates, 4.5e6, 10.0, 1, "analog"));  // 4.5e5: the mean of three
    EXPECT_DOUBLE_EQ(rates.analog.historiesPerSecondPerThread, 2.5e5);
    EXPECT_EQ(rates.analog.runs, 3);
    EXPECT_DOUBLE_EQ(rates.nextEvent.historiesPerSecondPerThread, 2e4);  // the other untouched

    // Past RATE_MEAN_RUNS, one odd run moves the rate by a fixed share only.
    for (int n = 0; n < 10; ++n) refineRunRates(rates, 1e6, 10.0, 1, "next-event");
    EXPECT_NEAR(rates.nextEvent.historiesPerSecondPerThread, 1e5, 1.0);
    refineRunRates(rates, 6e6, 10.0, 1, "next-event");
    EXPECT_NEAR(rates.nextEvent.historiesPerSecondPerThread, 1e5 + 5e5 / RATE_MEAN_RUNS, 1.0);

    // Too short to tell: ignored.
    const RunRates before = rates;
    EXPECT_FALSE(refineRunRates(rates, 1e4, 0.5, 1, "analog"));
    EXPECT_FALSE(refineRunRates(rates, 0, 60.0, 1, "analog"));
    EXPECT_EQ(rates.analog.historiesPerSecondPerThread, before.analog.historiesPerSecondPerThread);
}

TEST(RunTimeEstimate, KeptRatesReadBackAndADamagedFileGivesTheSeed) {
    testing::ScopedWorkDir dir;
    EXPECT_EQ(readRunRates(RUN_RATES_FILE).analog.runs, 0);  // no file yet: the seed
    RunRates rates = ratesOf(1.5e5, 3e4);
    rates.analog.runs = 2;
    writeRunRates(RUN_RATES_FILE, rates);
    const RunRates back = readRunRates(RUN_RATES_FILE);
    EXPECT_DOUBLE_EQ(back.analog.historiesPerSecondPerThread, 1.5e5);
    EXPECT_EQ(back.analog.runs, 2);
    EXPECT_DOUBLE_EQ(back.nextEvent.historiesPerSecondPerThread, 3e4);

    const RunRates seed = seedRunRates();
    for (const char* damaged :
         {R"({"korvana_run_rates": 1, "analog": )",
          R"({"korvana_run_rates": 9, "analog": {"historiesPerSecondPerThread": 5}})",
          R"({"korvana_run_rates": 1, "analog": {"historiesPerSecondPerThread": -5}})"}) {
        SCOPED_TRACE(damaged);
        std::ofstream(RUN_RATES_FILE) << damaged;
        EXPECT_EQ(readRunRates(RUN_RATES_FILE).analog.historiesPerSecondPerThread,
                  seed.analog.historiesPerSecondPerThread);
    }
}

TEST(RunTimeEstimate, ATimeBeyondCenturiesOrNoNumberIsNotShown) {
    EXPECT_EQ(shownSeconds(0.0), 0);
    EXPECT_EQ(shownSeconds(59.5), 60);
    EXPECT_EQ(shownSeconds(1e10), 10'000'000'000LL);
    EXPECT_FALSE(shownSeconds(1.0000001e10));
    EXPECT_FALSE(shownSeconds(-1.0));
    EXPECT_FALSE(shownSeconds(std::nan("")));
    // 5e8 histories at a kept rate of 1e-300 per second: 5e308 s, infinite in a double.
    RunRates rates = seedRunRates();
    rates.analog.historiesPerSecondPerThread = 1e-300;
    EXPECT_FALSE(shownSeconds(expectedRunSeconds(rates, 5e8, 1, "analog")));
    rates.analog.historiesPerSecondPerThread = 1e-10;  // 5e18 s, past what llround can give
    EXPECT_FALSE(shownSeconds(expectedRunSeconds(rates, 5e8, 1, "analog")));
}

// The kept rates are a cache: whatever sits in their place costs the
// refinement only, is named, and is replaced by a finished run only when it
// is a file.
TEST(RunTimeEstimate, AnythingButARegularFileIsNamedAndLeftAlone) {
    namespace fs = std::filesystem;
    const struct {
        const char* what;
        std::function<void()> make;
        const char* problem;  //!< in the problem; empty: none
        bool rewritten;       //!< a finished run writes the file
    } rows[] = {
        {"no file", [] {}, "", true},
        {"a key twice",
         [] {
             std::ofstream(RUN_RATES_FILE)
                 << R"({"korvana_run_rates": 1, "analog": {"runs": 1, "runs": 2}})";
         },
         "\"runs\" is given twice", true},
        {"not JSON", [] { std::ofstream(RUN_RATES_FILE) << "{"; }, "not valid JSON", true},
        {"directory", [] { fs::create_directory(RUN_RATES_FILE); }, "is a directory", false},
        {"FIFO", [] { ::mkfifo(RUN_RATES_FILE, 0600); }, "is a FIFO", false},
        {"dangling link", [] { fs::create_symlink("gone.json", RUN_RATES_FILE); },
         "dangling symbolic link", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        testing::ScopedWorkDir dir;
        row.make();
        const KeptRunRates kept = readKeptRunRates(RUN_RATES_FILE);
        EXPECT_EQ(kept.rates.analog.historiesPerSecondPerThread,
                  seedRunRates().analog.historiesPerSecondPerThread);
        EXPECT_NE(kept.problem.find(row.problem), std::string::npos) << kept.problem;
        EXPECT_EQ(kept.problem.empty(), std::string(row.problem).empty()) << kept.problem;
        if (!kept.problem.empty()) {
            EXPECT_NE(kept.problem.find(RUN_RATES_FILE), std::string::npos);
        }

        recordFinishedRun(RUN_RATES_FILE, 1e7, 10.0, 1, "analog");
        EXPECT_EQ(fs::is_regular_file(fs::symlink_status(RUN_RATES_FILE)), row.rewritten);
        if (row.rewritten) {
            EXPECT_DOUBLE_EQ(readRunRates(RUN_RATES_FILE).analog.historiesPerSecondPerThread, 1e6);
        }
    }
}

}  // namespace
}  // namespace korvana::app
