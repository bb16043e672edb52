#include "engine/tallies/next_event_tally.h"

namespace korvana::engine {

void NextEventTally::endHistory() {
    m_history->endHistory(m_target.moments);
    SequencePosition& at = *m_position;
    if (++at.batchHistories < SCORING_BATCH_HISTORIES) return;
    if (m_target.moments) m_target.moments->closeBatch(at.batchHistories);
    at.sequence.startBatch(++at.batch);
    at.collisions = 0;
    at.batchHistories = 0;
}

}  // namespace korvana::engine
