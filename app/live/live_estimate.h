// The progressive estimate behind the live window: the beam (live_beam.h),
// then next-event rounds of the in-process engine on every core, the run's
// total doubling each round, until the relative standard error of every one
// of the nine point air kermas, and of the room's eye points', is at most the
// target, or the history cap is reached. After the beam and after each round the caller receives
// what is known so far.
//
// The totals are firstRoundHistories x 2^n, so with the default sizes every
// total is written exactly by the run file's "0.000E+00" picture: a round's
// result and uncertainty lines are those lumetrel --estimator next-event
// --threads T --seed S writes for that run file (engine_run.h).
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/live/live_beam.h"
#include "app/live/live_inputs.h"
#include "app/live/live_tables.h"
#include "app/results/eye_lens_dose.h"
#include "app/results/result_set.h"
#include "engine/run/engine_run.h"

namespace korvana::app {

//! The precisions the window offers [%]; 1 % is the default.
inline constexpr std::array<double, 4> LIVE_PRECISIONS_PERCENT = {5, 2, 1, 0.5};
inline constexpr double LIVE_DEFAULT_PRECISION_PERCENT = 1;

struct LiveSettings {
    double targetPercent = LIVE_DEFAULT_PRECISION_PERCENT;  //!< [%] on each of the nine kermas
    double firstRoundHistories = 10000;
    //! The largest total; 10000 x 2^10. The engine keeps about 11 bytes per
    //! history of a run's blocks, so this bounds an estimate near 110 MB.
    double historyCap = 10240000;
    int threads = 0;  //!< 0: every core
    std::uint64_t seed = engine::DEFAULT_SEED;
};

//! The results after one round.
struct LiveRound {
    int round = 0;                              //!< 1 for the first
    double historyCount = 0;                    //!< the run's total, as the run file line gives it
    std::int64_t histories = 0;                 //!< histories run (the bins' truncated shares)
    std::uint64_t seed = 0;                     //!< the block streams' seed (lumetrel --seed)
    std::vector<std::string> resultLines;       //!< NAME.data
    std::vector<std::string> uncertaintyLines;  //!< NAME.unc.csv
    //! The lines as the viewers read them, with the room (scene) and its eye
    //! points' kermas (eyePoints) as a result's attached ones.
    ResultSet result;
    EyeLensDose bare;     //!< eye lens dose without lead
    EyeLensDose glasses;  //!< behind the inputs' glasses
    //! [%] largest relative error of the nine kermas and the eye points' (a kerma of 0, which no
    //! history can change, is left out); infinite while one is unknown.
    double worstPercent = 0;
    bool reached = false;  //!< worstPercent is within the target
    double seconds = 0;    //!< since the estimate started
};

//! What the caller receives after the beam, after each round and at the end.
struct LiveUpdate {
    std::shared_ptr<const LiveBeam> beam;    //!< null when the inputs were refused
    std::shared_ptr<const LiveRound> round;  //!< null before the first round
    bool finished = false;                   //!< no further update of this estimate
    std::string failure;                     //!< why the inputs were refused
};

//! The largest relative error [%] of the nine point kermas of `set` and of
//! its eye points' kermas.
double worstKermaErrorPercent(const ResultSet& set);

class LiveEstimate {
public:
    LiveEstimate(std::shared_ptr<const LiveTables> tables, LiveInputs inputs,
                 LiveSettings settings);
    ~LiveEstimate();
    LiveEstimate(const LiveEstimate&) = delete;
    LiveEstimate& operator=(const LiveEstimate&) = delete;

    enum class Outcome { Reached, Capped, Cancelled, Failed };

    //! Runs the estimate on the calling thread, calling `onUpdate` after the
    //! beam and each round. One call per estimate.
    Outcome run(const std::function<void(const LiveUpdate&)>& onUpdate);

    //! Stops the estimate within one block of histories. Safe from any thread.
    void cancel();

private:
    std::shared_ptr<const LiveTables> m_tables;
    LiveInputs m_inputs;
    LiveSettings m_settings;
    std::chrono::steady_clock::time_point m_start;

    std::mutex m_mutex;  //!< the engine's creation against cancel
    std::unique_ptr<engine::EngineRun> m_engine;
    bool m_cancelled = false;
};

}  // namespace korvana::app
