// Analog escape scoring: each scattered photon that leaves the object towards
// +x is followed along its straight line to every scoring plane, and adds to
// each disc it crosses (scores.h). A history has at most one escape, so its
// contribution to a quantity is the one its escape adds there, handed to the
// moments at once. Collisions add nothing.
#pragma once

#include "engine/inputs/tissue_tables.h"
#include "engine/tallies/scores.h"
#include "engine/tallies/scoring_sequence.h"
#include "engine/tallies/tally_target.h"
#include "engine/transport/photon.h"

namespace korvana::engine {

//! How an escape finds the discs it crosses; both give bit-identical tallies.
enum class DiscSearch {
    EveryDisc,   //!< the reference: every disc tested, the lead's factor at each hit
    NearestRows  //!< the plane crossing taken once for the nine points, only the
                 //!< grid rows within reach tested, the lead's factor once per plane
};

class AnalogTally {
public:
    AnalogTally(const ScoringContext& scoring, DiscSearch search)
        : m_scoring(scoring), m_search(search) {}

    //! Scores the following histories into `target`; the position is not used.
    void open(const TallyTarget& target, SequencePosition&) { m_target = target; }

    template <class Physics>
    void collision(const Photon&, const TissueCoefficients&, const Physics&) {}
    void escape(const Photon& photon, float x1, float y1, float z1) {
        if (m_search == DiscSearch::EveryDisc) {
            scoreEscape(*m_target.scores, m_scoring, photon, x1, y1, z1, m_target.moments);
        } else {
            scoreEscapeNearestRows(photon, x1, y1, z1);
        }
    }
    void endHistory() {}

private:
    void scoreEscapeNearestRows(const Photon& photon, float x1, float y1, float z1);

    ScoringContext m_scoring;
    DiscSearch m_search;
    TallyTarget m_target;
};

}  // namespace korvana::engine
