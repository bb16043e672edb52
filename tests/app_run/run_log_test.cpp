// The engine's log as the runs panel reads it: logs recorded from lumetrel
// (whole, or cut where the panel would have read a growing one), and a run
// followed over time.
#include "app/run/run_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace korvana::app {
namespace {

std::string recordedLog(const std::string& name) {
    std::ifstream in(std::string(KORVANA_RECORDED_LOGS) + "/" + name);
    EXPECT_TRUE(in) << name;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(RunLog, RecordedLogsReadAsTheirRunsWent) {
    struct Case {
        const char* log;
        RunState state;
        int threads;
        const char* estimator;
        bool speedReported;
        const char* failure;  // part of the failure's message; "" none
    };
    const Case cases[] = {
        {"terminal_waiting.log", RunState::Waiting, 1, "analog", false, ""},
        {"one_stream_running.log", RunState::Running, 1, "next-event", false, ""},
        {"parallel_running.log", RunState::Running, 2, "analog", false, ""},
        {"parallel_finished.log", RunState::Finished, 2, "next-event", true, ""},
        {"missing_table.log", RunState::Failed, 1, "analog", false, "MU_en2016.dat"},
        {"bad_option.log", RunState::Failed, 1, "analog", false, "--threads"},
        {"name_unusable.log", RunState::Failed, 2, "analog", true, "not saved"},
        {"disk_full_after_run.log", RunState::Failed, 1, "analog", false, "the disk is full"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.log);
        std::string text = recordedLog(c.log);
        const RunLogReading r = readRunLog(text);
        EXPECT_EQ(r.state, c.state);
        EXPECT_EQ(r.threads, c.threads);
        EXPECT_EQ(r.estimator, c.estimator);
        EXPECT_EQ(r.histories.has_value(), c.speedReported);
        EXPECT_EQ(r.failure.empty(), std::string(c.failure).empty()) << r.failure;
        EXPECT_NE(r.failure.find(c.failure), std::string::npos) << r.failure;
        // The same log written with CR LF line ends reads the same.
        std::string crlf;
        for (const char ch : text) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
        const RunLogReading again = readRunLog(crlf);
        EXPECT_EQ(again.state, r.state);
        EXPECT_EQ(again.bin, r.bin);
        EXPECT_EQ(again.failure, r.failure);
    }
}

TEST(RunLog, ProgressComesFromTheLastBinAndTheEnginesTick) {
    const RunLogReading parallel = readRunLog(recordedLog("parallel_running.log"));
    ASSERT_GT(parallel.binCount, 0);
    ASSERT_TRUE(parallel.shareDone);
    EXPECT_GT(*parallel.shareDone, 0.0);
    EXPECT_LT(*parallel.shareDone, 1.0);
    EXPECT_EQ(shareDone(parallel), *parallel.shareDone);

    const RunLogReading oneStream = readRunLog(recordedLog("one_stream_running.log"));
    ASSERT_GT(oneStream.bin, 0);
    EXPECT_FALSE(oneStream.shareDone);
    EXPECT_GT(shareDone(oneStream), 0.0);
    EXPECT_LT(shareDone(oneStream), 1.0);

    const RunLogReading finished = readRunLog(recordedLog("parallel_finished.log"));
    EXPECT_EQ(finished.bin, finished.binCount - 1);  // the top bin was the last
    EXPECT_EQ(shareDone(finished), 1.0);
    EXPECT_GT(*finished.histories, 0);
    EXPECT_GT(*finished.seconds, 0.0);
}

TEST(RunLog, AWatchedRunGivesItsSpeedTimeLeftAndWallTime) {
    RunLogReading r;
    r.state = RunState::Waiting;
    RunWatch watch(1e6);
    watch.observe(r, 10.0);
    EXPECT_FALSE(watch.historiesPerSecond());
    EXPECT_FALSE(watch.secondsLeft());

    r.state = RunState::Running;
    r.shareDone = 0.0;
    watch.observe(r, 12.0);
    r.shareDone = 0.25;
    watch.observe(r, 22.0);
    // A quarter of 1e6 histories in 10 s; three quarters left at that pace.
    EXPECT_DOUBLE_EQ(*watch.historiesPerSecond(), 25000.0);
    EXPECT_DOUBLE_EQ(*watch.secondsLeft(), 30.0);
    // The engine's own estimate, once it gives one, is taken as it is, and
    // its pace: three quarters of 1e6 histories in 41 s.
    r.secondsLeft = 41.0;
    watch.observe(r, 23.0);
    EXPECT_DOUBLE_EQ(*watch.secondsLeft(), 41.0);
    EXPECT_DOUBLE_EQ(*watch.historiesPerSecond(), 0.75e6 / 41.0);

    r.state = RunState::Finished;
    watch.observe(r, 52.0);
    EXPECT_EQ(*watch.secondsLeft(), 0.0);
    EXPECT_DOUBLE_EQ(*watch.finishedSeconds(), 40.0);  // first seen running to seen finished
    // The engine's speed line, when there is one, wins.
    r.histories = 1000000;
    r.seconds = 38.5;
    watch.observe(r, 53.0);
    EXPECT_DOUBLE_EQ(*watch.finishedSeconds(), 38.5);
    EXPECT_DOUBLE_EQ(*watch.historiesPerSecond(), 1e6 / 38.5);

    // A run first seen half done did not show its start: no wall time from it.
    RunWatch late(1e6);
    RunLogReading half;
    half.state = RunState::Running;
    half.shareDone = 0.5;
    late.observe(half, 0.0);
    half.state = RunState::Finished;
    late.observe(half, 5.0);
    EXPECT_FALSE(late.finishedSeconds());
}

TEST(RunLog, TheRunFileGivesTheHistoriesOnlyOfItsOwnResult) {
    const std::vector<std::string> lines = {"20.0",  "080.0", "25.0",      "25.0",
                                            "0.035", "60.0",  "5.000E+08", "chest.data"};
    EXPECT_EQ(runFileHistoryCount(lines, "chest.data"), 5e8);
    EXPECT_FALSE(runFileHistoryCount(lines, "other.data"));
    EXPECT_FALSE(runFileHistoryCount({"1", "2"}, "chest.data"));
}

}  // namespace
}  // namespace korvana::app
