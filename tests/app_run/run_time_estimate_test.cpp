// The expected wall time of a run: its scaling with the histories, threads
// and estimator, the refinement by finished runs, and the kept file.
#include "app/run/run_time_estimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

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

}  // namespace
}  // namespace korvana::app
