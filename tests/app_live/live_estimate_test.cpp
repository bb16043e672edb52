// The live estimate: its rounds' files are lumetrel's for their total, it
// stops on cancel, and it refuses inputs the engine would.
#include "app/live/live_estimate.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <limits>
#include <string>

#include "app/live/run_rate_calibration.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"
#include "temp_dir.h"

namespace korvana::app {
namespace {

using testing::copyShippedTables;
using testing::ScopedWorkDir;
using testing::writeLines;

const std::vector<std::string> ALL_TABLES = {"Tungsten.dat", "Aluminum.atc", "Copper.dat",
                                             "Pb.dat",       "ICRUSoft.dat", "MU_en2016.dat",
                                             "d-DperK.dDk"};

struct Ran {
    LiveEstimate::Outcome outcome;
    std::vector<LiveUpdate> updates;
};

Ran runEstimate(const LiveInputs& inputs, const LiveSettings& settings) {
    LiveEstimate estimate(sharedLiveTables(), inputs, settings);
    Ran ran;
    ran.outcome = estimate.run([&](const LiveUpdate& u) { ran.updates.push_back(u); });
    return ran;
}

TEST(LiveEstimate, RoundsWriteLumetrelsFilesOfTheirTotal) {
    ScopedWorkDir dir;
    copyShippedTables(ALL_TABLES);
    LiveInputs inputs = defaultLiveInputs();
    inputs.tubeVoltageKv = 100;  // K lines in the spectrum
    LiveSettings settings;
    settings.firstRoundHistories = 3000;
    settings.historyCap = 12000;  // rounds of 3000, 6000 and 12000 in all
    settings.targetPercent = 0.01;
    settings.threads = 2;
    settings.seed = 7;
    const Ran ran = runEstimate(inputs, settings);
    ASSERT_EQ(ran.outcome, LiveEstimate::Outcome::Capped);
    ASSERT_EQ(ran.updates.size(), 4u);  // the beam, then three rounds
    EXPECT_TRUE(ran.updates[0].beam && !ran.updates[0].round);
    const LiveRound& last = *ran.updates.back().round;
    EXPECT_TRUE(ran.updates.back().finished);
    EXPECT_EQ(last.round, 3);
    EXPECT_EQ(last.historyCount, 12000);

    // The same inputs through the files, to lumetrel on another thread count.
    writeLines("B_SPCTL.dat", ran.updates[0].beam->spectrumLines);
    writeLines("B2F.txt", liveRunFileLines(inputs, last.historyCount, "same"));
    writeLines("enter.txt", {"", ""});
    const std::string command = std::string("'") + LUMETREL_PROGRAM +
                                "' --estimator next-event --threads 1 --seed 7 <enter.txt "
                                ">console.txt 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << testing::readWhole("console.txt");
    EXPECT_EQ(readTextFile("same.data", FileKind::Result).lines, last.resultLines);
    EXPECT_EQ(readTextFile(uncertaintyFileName("same.data"), FileKind::Uncertainty).lines,
              last.uncertaintyLines);
}

TEST(LiveEstimate, ErrorsShrinkRoundByRoundUntilTheTarget) {
    ScopedWorkDir dir;
    copyShippedTables(ALL_TABLES);
    LiveSettings settings;
    settings.targetPercent = 5;
    const Ran ran = runEstimate(defaultLiveInputs(), settings);
    ASSERT_EQ(ran.outcome, LiveEstimate::Outcome::Reached);
    const LiveRound& last = *ran.updates.back().round;
    EXPECT_LE(last.worstPercent, 5);
    // Each doubling divides the error by about the square root of 2; every
    // round but the last stayed above the target.
    for (std::size_t n = 1; n + 1 < ran.updates.size(); ++n) {
        EXPECT_GT(ran.updates[n].round->worstPercent, 5);
        EXPECT_FALSE(ran.updates[n].finished);
    }
    // The glasses take away part of the eye lens dose at every shown angle.
    for (int k = FIRST_SHOWN_ANGLE; k <= LAST_SHOWN_ANGLE; ++k) {
        ASSERT_TRUE(last.bare.eyeLensDose[k] && last.glasses.eyeLensDose[k]);
        EXPECT_LT(*last.glasses.eyeLensDose[k], *last.bare.eyeLensDose[k]);
    }
}

TEST(LiveEstimate, CancelStopsTheRoundUnderWay) {
    ScopedWorkDir dir;
    copyShippedTables(ALL_TABLES);
    LiveSettings settings;
    settings.targetPercent = 0.01;  // never reached before the cap
    LiveEstimate estimate(sharedLiveTables(), defaultLiveInputs(), settings);
    int rounds = 0;
    const auto outcome = estimate.run([&](const LiveUpdate& u) {
        if (u.round && ++rounds == 2) estimate.cancel();
    });
    EXPECT_EQ(outcome, LiveEstimate::Outcome::Cancelled);
    EXPECT_EQ(rounds, 2);
}

TEST(LiveEstimate, RefusesACurtainLongerThanTheSceneHolds) {
    ScopedWorkDir dir;
    copyShippedTables(ALL_TABLES);
    LiveInputs inputs = defaultLiveInputs();
    inputs.curtainLengthCm = 80.5;  // FSD 80 - 20 + thickness 20 = 80 is the longest
    const Ran ran = runEstimate(inputs, {});
    EXPECT_EQ(ran.outcome, LiveEstimate::Outcome::Failed);
    ASSERT_EQ(ran.updates.size(), 1u);
    EXPECT_TRUE(ran.updates[0].finished);
    EXPECT_NE(ran.updates[0].failure.find("curtain"), std::string::npos) << ran.updates[0].failure;
}

TEST(LiveEstimate, TheRoomsEyePointsCountTowardsThePrecision) {
    ResultSet set;
    set.uncertainties.emplace();
    for (KermaUncertainty& point : set.uncertainties->points) {
        point.airKermaRatio = 1e-3;
        point.relStdError = 0.004;
    }
    EXPECT_DOUBLE_EQ(worstKermaErrorPercent(set), 0.4);
    set.eyePoints.emplace();
    set.eyePoints->points.push_back({"operator", {60, 30, -40}, 2e-4, 3.5, 0.01, false});
    EXPECT_DOUBLE_EQ(worstKermaErrorPercent(set), 3.5);
    set.eyePoints->points.back().relErrPercent.reset();  // not known yet
    EXPECT_EQ(worstKermaErrorPercent(set), std::numeric_limits<double>::infinity());
}

TEST(RunRateCalibration, MeasuresBothEstimatorsAndIsKeptAsMeasuredHere) {
    ScopedWorkDir dir;
    copyShippedTables(ALL_TABLES);
    const RunRates rates = calibrateRunRates(*sharedLiveTables());
    // A next-event history scores thirteen rays at each collision: it costs
    // several analog histories, whatever the machine's load.
    EXPECT_GT(rates.nextEvent.historiesPerSecondPerThread, 0);
    EXPECT_GT(rates.analog.historiesPerSecondPerThread,
              2 * rates.nextEvent.historiesPerSecondPerThread);
    writeRunRates(RUN_RATES_FILE, rates);
    const RunRates kept = readRunRates(RUN_RATES_FILE);
    EXPECT_TRUE(kept.analog.calibrated && kept.nextEvent.calibrated);
    EXPECT_EQ(kept.nextEvent.runs, 0);
    EXPECT_DOUBLE_EQ(kept.nextEvent.historiesPerSecondPerThread,
                     rates.nextEvent.historiesPerSecondPerThread);
}

}  // namespace
}  // namespace korvana::app
