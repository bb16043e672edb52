// The in-process run: the same files as lumetrel's parallel mode for any
// split into rounds, and a cancel that stops within one block.
#include "engine/run/engine_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdlib>
#include <functional>

#include "common/data_error.h"
#include "common/points_file.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"
#include "engine_case.h"
#include "engine_result_file.h"

namespace korvana::engine {
namespace {

using namespace korvana::testing;

class EngineRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        copyEngineTables();
        writeSpectrum(smoothSpectrum());
    }

    //! The inputs from memory: the tables read once, the run file's values.
    std::unique_ptr<const EngineInputs> inputsInMemory(const RunFileValues& values,
                                                       const SceneDescription& scene = {}) {
        values.write();
        const SpectrumFile spectrum = loadSpectrum(SPECTRUM_FILE, DescriptorLines::Read);
        return makeEngineInputs(*sharedPhysicsTables("."), readRunFile(RUN_FILE), spectrum, scene);
    }
    ScopedWorkDir dir;
};

//! The files of the lumetrel program run with --threads T --seed S and `estimator`.
std::vector<std::string> lumetrelFiles(const RunFileValues& run, int threads, std::uint64_t seed,
                                       Estimator estimator) {
    run.write();
    writeTextFileAtomically("enter.txt", {"", ""});
    const std::string command = std::string("'") + LUMETREL_PROGRAM + "' --threads " +
                                std::to_string(threads) + " --seed " + std::to_string(seed) +
                                " --estimator " + estimatorName(estimator) +
                                " <enter.txt >console.txt 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readWhole("console.txt");
    std::vector<std::string> lines = readTextFile(run.resultName, FileKind::Result).lines;
    const std::vector<std::string> errors =
        readTextFile(uncertaintyFileName(run.resultName), FileKind::Uncertainty).lines;
    lines.insert(lines.end(), errors.begin(), errors.end());
    return lines;
}

TEST_F(EngineRunTest, RoundsGiveLumetrelsFilesOfTheirTotal) {
    // 30000 histories: bins with a full block and an unfinished one, and bins
    // whose only block the second round goes on with.
    RunFileValues run;
    run.histories = "3.000E+04";
    run.resultName = "same.data";
    for (const Estimator estimator : {Estimator::Analog, Estimator::NextEvent}) {
        for (const int threads : {1, 2}) {
            SCOPED_TRACE(estimatorName(estimator) + ", threads " + std::to_string(threads));
            const std::vector<std::string> expected = lumetrelFiles(run, threads, 5, estimator);
            RunSettings settings;
            settings.threads = threads;
            settings.seed = 5;
            settings.estimator = estimator;
            EngineRun engine(inputsInMemory(run), settings);
            ASSERT_EQ(engine.advance(12000), EngineRun::Outcome::Done);
            const RunSnapshot first = engine.snapshot();
            ASSERT_EQ(engine.advance(18000), EngineRun::Outcome::Done);
            const RunSnapshot whole = engine.snapshot();
            std::vector<std::string> lines = whole.resultLines;
            lines.insert(lines.end(), whole.uncertaintyLines.begin(), whole.uncertaintyLines.end());
            EXPECT_EQ(lines, expected);
            EXPECT_LT(first.histories, whole.histories);
            EXPECT_EQ(first.run.historyCount, 12000.0f);
        }
    }
}

TEST_F(EngineRunTest, CancelStopsWithinOneBlockAndKeepsTheLastRound) {
    RunFileValues run;
    run.histories = "1.000E+05";
    std::atomic<int> piecesStarted{0};
    EngineRun* running = nullptr;
    RunSettings settings;
    settings.threads = 1;
    // Each round has a piece per bin; the third piece of the second round cancels.
    settings.onPieceStart = [&](const HistoryBlock&) {
        if (++piecesStarted == 1000 + 3) running->cancel();
    };
    EngineRun engine(inputsInMemory(run), settings);
    running = &engine;
    ASSERT_EQ(engine.advance(2000), EngineRun::Outcome::Done);
    const int firstRound = piecesStarted.load();
    ASSERT_LT(firstRound, 1000);
    piecesStarted = 1000;
    const std::vector<std::string> before = engine.snapshot().resultLines;
    EXPECT_EQ(engine.advance(50000), EngineRun::Outcome::Cancelled);
    EXPECT_EQ(piecesStarted.load(), 1000 + 3) << "no piece starts after the cancel";
    EXPECT_EQ(engine.snapshot().resultLines, before) << "the cancelled round is dropped";
    EXPECT_EQ(engine.advance(1000), EngineRun::Outcome::Cancelled);
    EXPECT_EQ(piecesStarted.load(), 1000 + 3);
}

TEST_F(EngineRunTest, TheLiteralBuildRunsBothEstimatorsAsTheFastOne) {
    RunFileValues run;
    for (const Estimator estimator : {Estimator::Analog, Estimator::NextEvent}) {
        SCOPED_TRACE(estimatorName(estimator));
        RunSettings settings;
        settings.estimator = estimator;
        EngineRun fast(inputsInMemory(run), settings);
        settings.build = TransportBuild::Literal;
        EngineRun literal(inputsInMemory(run), settings);
        ASSERT_EQ(fast.advance(20000), EngineRun::Outcome::Done);
        ASSERT_EQ(literal.advance(20000), EngineRun::Outcome::Done);
        const RunSnapshot a = fast.snapshot(), b = literal.snapshot();
        // The lookups are bit-identical, so the tallies are too, errors included.
        EXPECT_EQ(a.resultLines, b.resultLines);
        EXPECT_EQ(a.uncertaintyLines, b.uncertaintyLines);
        EXPECT_EQ(a.scores->scoredEscapes, b.scores->scoredEscapes);
    }
}

TEST_F(EngineRunTest, ValuesOutOfRangeAreRefusedBeforeAnyRun) {
    RunFileValues run;
    run.write();
    RunParameters parameters = readRunFile(RUN_FILE);
    parameters.phantomThickness = -1.0f;
    const SpectrumFile spectrum = loadSpectrum(SPECTRUM_FILE, DescriptorLines::Read);
    EXPECT_THROW(makeEngineInputs(*sharedPhysicsTables("."), parameters, spectrum), DataError);
    EXPECT_EQ(sharedPhysicsTables("."), sharedPhysicsTables("./")) << "read once, shared";
}

TEST_F(EngineRunTest, EyePointsUnderTheAnalogEstimatorAreRefusedBeforeAnyHistory) {
    RunFileValues run;
    SceneDescription scene;
    scene.eyePoints = {{"operator", {60.0, 30.0, -40.0}}};
    const auto namesTheEstimator = [](const std::function<void()>& start) {
        try {
            start();
            ADD_FAILURE() << "an analog run with eye points was not refused";
        } catch (const DataError& e) {
            EXPECT_NE(std::string(e.what()).find("--estimator next-event"), std::string::npos)
                << e.what();
        }
    };
    RunSettings settings;
    settings.onPieceStart = [](const HistoryBlock&) { ADD_FAILURE() << "a history ran"; };
    namesTheEstimator([&] { EngineRun engine(inputsInMemory(run, scene), settings); });
    namesTheEstimator([&] { runFixedTotal(*inputsInMemory(run, scene), FixedTotalSettings{}); });

    // The next-event estimator scores them, and the snapshot has their table.
    settings.onPieceStart = nullptr;
    settings.estimator = Estimator::NextEvent;
    EngineRun engine(inputsInMemory(run, scene), settings);
    ASSERT_EQ(engine.advance(5000), EngineRun::Outcome::Done);
    const RunSnapshot s = engine.snapshot();
    ASSERT_EQ(s.eyePoints.points.size(), 1u);
    EXPECT_GT(s.eyePoints.points[0].airKermaRatio, 0.0);
    EXPECT_EQ(s.eyePoints.resultDigest, resultDigest(s.resultLines));
    EXPECT_FALSE(s.pointsLines.empty());
}

}  // namespace
}  // namespace korvana::engine
