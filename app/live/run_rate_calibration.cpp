#include "app/live/run_rate_calibration.h"

#include <algorithm>
#include <chrono>

#include "app/live/live_beam.h"
#include "engine/run/engine_run.h"

namespace korvana::app {

namespace {

//! Histories per second on one thread for `estimator`, the pool's start left out.
double measuredRate(const LiveTables& tables, const LiveBeam& beam, engine::Estimator estimator,
                    double histories) {
    engine::RunSettings settings;
    settings.threads = 1;
    settings.estimator = estimator;
    engine::EngineRun run(engine::makeEngineInputs(*tables.physics, beam.run, beam.engineSpectrum),
                          settings);
    const auto start = std::chrono::steady_clock::now();
    run.advance(histories);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return static_cast<double>(run.histories()) / std::max(seconds, 1e-6);
}

}  // namespace

RunRates calibrateRunRates(const LiveTables& tables) {
    const LiveBeam beam = prepareLiveBeam(defaultLiveInputs(), tables);
    RunRates rates;
    rates.analog.historiesPerSecondPerThread =
        measuredRate(tables, beam, engine::Estimator::Analog, ANALOG_CALIBRATION_HISTORIES);
    rates.nextEvent.historiesPerSecondPerThread =
        measuredRate(tables, beam, engine::Estimator::NextEvent, NEXT_EVENT_CALIBRATION_HISTORIES);
    rates.analog.calibrated = rates.nextEvent.calibrated = true;
    return rates;
}

}  // namespace korvana::app
