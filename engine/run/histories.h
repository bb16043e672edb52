// The histories of one energy bin (single stream) or one block (parallel
// mode and in-process runs): the one place a run hands photons to the
// history loop, with the physics and the tally of its build and estimator.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/run/engine_inputs.h"
#include "engine/tallies/analog_tally.h"
#include "engine/tallies/estimator.h"
#include "engine/tallies/next_event_tally.h"
#include "engine/tallies/tally_target.h"
#include "engine/transport/fast_physics.h"
#include "engine/transport/history.h"
#include "engine/transport/literal_physics.h"

namespace korvana::engine {

//! Which lookups the history loop uses; both give bit-identical results.
enum class TransportBuild { Fast, Literal };

//! What scoring needs of the inputs: the air's table, the scene of the run's
//! room and its eye points. It refers to `inputs`, which must outlive it.
inline ScoringContext scoringContextFor(const EngineInputs& inputs) {
    return ScoringContext{inputs.air,
                          sceneFor(inputs.run, inputs.lead, inputs.scene, &inputs.aluminium),
                          eyePointsOf(inputs.scene)};
}

//! Builds one thread's physics of `build` and tally of `estimator` and calls
//! `body(physics, tally)`; both live until it returns. `nextEvent` says how
//! the next-event estimator scores.
template <class Body>
void withTransport(const EngineInputs& inputs, TransportBuild build, Estimator estimator,
                   Body&& body, NextEventScoring nextEvent = {}) {
    const ScoringContext scoring = scoringContextFor(inputs);
    const auto withTally = [&](auto& physics) {
        if (estimator == Estimator::NextEvent) {
            auto tally = std::make_unique<NextEventTally>(inputs.tissue, scoring, nextEvent);
            body(physics, *tally);
        } else {
            AnalogTally tally(scoring, build == TransportBuild::Fast ? DiscSearch::NearestRows
                                                                     : DiscSearch::EveryDisc);
            body(physics, tally);
        }
    };
    if (build == TransportBuild::Fast) {
        auto physics = std::make_unique<FastPhysics>(inputs.tissue);
        withTally(*physics);
    } else {
        LiteralPhysics physics(inputs.tissue);
        withTally(physics);
    }
}

//! Runs `histories` histories of `bin` from `stream`, scoring into `target`
//! with the tally going on from `position`. The strata of the moments are
//! closed by the caller, who knows where a bin or block ends.
template <TransportPhysics Physics, HistoryTally<Physics> Tally>
void runHistories(const EngineInputs& inputs, int bin, std::int64_t histories, Physics& physics,
                  Tally& tally, const TallyTarget& target, SequencePosition& position,
                  RandomStream& stream) {
    tally.open(target, position);
    const PhantomBox box = phantomBoxFor(inputs.run);
    const float binEnergy = binEnergyKev(bin);
    for (std::int64_t n = 0; n < histories; ++n) {
        runHistory(binEnergy, inputs.run, box, physics, tally, stream);
    }
}

}  // namespace korvana::engine
