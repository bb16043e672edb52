#include "app/live/live_estimate.h"

#include <cmath>
#include <limits>
#include <thread>

#include "common/data_error.h"

namespace korvana::app {

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int poolThreads(int wanted) {
    if (wanted > 0) return wanted;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
}

}  // namespace

double worstKermaErrorPercent(const ResultSet& set) {
    if (!set.uncertainties) return std::numeric_limits<double>::infinity();
    double worst = 0;
    for (const KermaUncertainty& point : set.uncertainties->points) {
        if (point.airKermaRatio == 0) continue;
        if (!point.relStdError) return std::numeric_limits<double>::infinity();
        worst = std::max(worst, 100.0 * *point.relStdError);
    }
    // The room's eye points are what the user asks about: they count as the points do.
    if (set.eyePoints) {
        for (const EyePointResult& eye : set.eyePoints->points) {
            if (eye.airKermaRatio == 0) continue;
            if (!eye.relErrPercent) return std::numeric_limits<double>::infinity();
            worst = std::max(worst, *eye.relErrPercent);
        }
    }
    return worst;
}

LiveEstimate::LiveEstimate(std::shared_ptr<const LiveTables> tables, LiveInputs inputs,
                           LiveSettings settings)
    : m_tables(std::move(tables)),
      m_inputs(inputs),
      m_settings(settings),
      m_start(std::chrono::steady_clock::now()) {}

LiveEstimate::~LiveEstimate() = default;

void LiveEstimate::cancel() {
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    if (m_engine) m_engine->cancel();
}

LiveEstimate::Outcome LiveEstimate::run(const std::function<void(const LiveUpdate&)>& onUpdate) {
    std::shared_ptr<const LiveBeam> beam;
    try {
        beam = std::make_shared<const LiveBeam>(prepareLiveBeam(m_inputs, *m_tables));
        engine::RunSettings settings;
        settings.threads = poolThreads(m_settings.threads);
        settings.seed = m_settings.seed;
        settings.estimator = engine::Estimator::NextEvent;
        auto inputs = engine::makeEngineInputs(*m_tables->physics, beam->run, beam->engineSpectrum,
                                               m_inputs.scene);
        std::lock_guard lock(m_mutex);
        if (m_cancelled) return Outcome::Cancelled;
        m_engine = std::make_unique<engine::EngineRun>(std::move(inputs), settings);
    } catch (const DataError& error) {
        LiveUpdate refused;
        refused.beam = beam;
        refused.finished = true;
        refused.failure = error.what();
        onUpdate(refused);
        return Outcome::Failed;
    }
    onUpdate({beam, nullptr, false, {}});

    double total = 0;
    double add = m_settings.firstRoundHistories;
    for (int round = 1;; ++round) {
        if (m_engine->advance(add) == engine::EngineRun::Outcome::Cancelled) {
            return Outcome::Cancelled;
        }
        total += add;
        engine::RunSnapshot snapshot = m_engine->snapshot();
        auto shown = std::make_shared<LiveRound>();
        shown->round = round;
        shown->historyCount = total;
        shown->histories = snapshot.histories;
        shown->seed = m_settings.seed;
        shown->resultLines = std::move(snapshot.resultLines);
        shown->uncertaintyLines = std::move(snapshot.uncertaintyLines);
        shown->result = resultSetFromLines({"live", shown->resultLines});
        shown->result.uncertainties = snapshot.uncertainties;
        if (m_inputs.scene != SceneDescription{}) shown->result.scene = m_inputs.scene;
        if (!m_inputs.scene.eyePoints.empty()) shown->result.eyePoints = snapshot.eyePoints;
        shown->bare = computeEyeLensDose(shown->result, m_tables->eye, 0, 0);
        shown->glasses = computeEyeLensDose(shown->result, m_tables->eye, m_inputs.glassesMm, 0);
        shown->worstPercent = worstKermaErrorPercent(shown->result);
        shown->reached = shown->worstPercent <= m_settings.targetPercent;
        shown->seconds = secondsSince(m_start);
        const bool capped = 2 * total > m_settings.historyCap;
        onUpdate({beam, shown, shown->reached || capped, {}});
        if (shown->reached) return Outcome::Reached;
        if (capped) return Outcome::Capped;
        add = total;
    }
}

}  // namespace korvana::app
