// The next-event estimator as the history loop's tally: every collision adds
// its expected contributions to the nine points and a few grid cells
// (next_event.h); a history's contributions are gathered over its collisions
// and handed to the moments when it ends. Escapes are only counted.
//
// A block's histories run in batches of SCORING_BATCH_HISTORIES, each with
// its own rotation of the scoring sequences; the block's place in them
// (SequencePosition) is kept by the caller, so a block may be continued.
#pragma once

#include <memory>

#include "engine/inputs/tissue_tables.h"
#include "engine/tallies/kerma_moments.h"
#include "engine/tallies/next_event.h"
#include "engine/tallies/scores.h"
#include "engine/tallies/scoring_sequence.h"
#include "engine/tallies/tally_target.h"
#include "engine/transport/photon.h"

namespace korvana::engine {

class NextEventTally {
public:
    NextEventTally(const TissueTables& tissue, const ScoringContext& scoring,
                   NextEventScoring settings = {})
        : m_scorer(tissue, scoring, settings),
          m_history(std::make_unique<HistoryContributions>()) {}

    //! Scores the following histories into `target`, going on from `position`
    //! (which it advances; it must outlive the histories).
    void open(const TallyTarget& target, SequencePosition& position) {
        m_target = target;
        m_position = &position;
    }

    template <class Physics>
    void collision(const Photon& photon, const TissueCoefficients& mu, const Physics& physics) {
        m_scorer.scoreCollision(
            photon, mu, [&physics](float E) { return physics.totalCoefficient(E); },
            m_position->sequence, m_position->collisions++, *m_target.scores, *m_history);
    }
    void escape(const Photon&, float, float, float) { ++m_target.scores->scoredEscapes; }
    void endHistory();

private:
    NextEventScorer m_scorer;
    std::unique_ptr<HistoryContributions> m_history;  //!< the running history's
    TallyTarget m_target;
    SequencePosition* m_position = nullptr;
};

}  // namespace korvana::engine
