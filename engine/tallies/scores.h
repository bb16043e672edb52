// Scoring of escaping scattered photons at the measuring points and on the
// distribution grid, with the lead's transmission (the scene's) applied, and
// the tables the next-event estimator also fills for the scene's eye points.
#pragma once

#include <array>
#include <cstdint>

#include "common/energy_grid.h"
#include "engine/scene/scene.h"
#include "engine/tallies/eye_points.h"
#include "engine/tallies/kerma_moments.h"
#include "engine/transport/geometry.h"
#include "engine/transport/photon.h"

namespace korvana::engine {

//! Tallies, zeroed before the first history and accumulated for the whole run.
struct Scores {
    //! [point 1..9][bin 1..300]: sum of transmission factors of scored photons
    std::array<GridTable, POINT_COUNT + 1> pointSpectrum{};
    //! [point 1..9]: sum of E muen T / sdir [keV cm^2/g]
    std::array<float, POINT_COUNT + 1> pointKerma{};
    //! [column 1..21][row 1..31]: the same sum per grid disc
    std::array<std::array<float, GRID_ROWS + 1>, GRID_COLUMNS + 1> gridKerma{};
    //! [eye point 0..]: the same sum as pointKerma, at the scene's eye points
    //! (the next-event estimator's only)
    std::array<float, EyePoints::CAPACITY> eyeKerma{};
    //! Escapes handed to the scoring (each may hit any number of discs, or none).
    std::int64_t scoredEscapes = 0;
};

//! Adds `part`'s tallies into `total`, value by value in a fixed order. Runs
//! sum their histories in parts this way (blocks, or chunks of the single
//! stream) so that no float total ever takes more terms than a part holds:
//! added one by one to a total grown a million times larger, the next-event
//! estimator's contributions fall below its last bit and are lost.
void addScores(Scores& total, const Scores& part);

//! What scoring needs besides the photon: the detectors' air, the scene and
//! its eye points.
struct ScoringContext {
    const GridTable& airEnergyAbsorption;  //!< muen/rho of air [cm^2/g]
    Scene scene;
    EyePoints eyes{};
};

//! Follows a scattered photon leaving the object towards +x (u > 0, w != 0)
//! along its straight line from its last interaction point to every scoring
//! plane. (x1, y1, z1) is the tentative point outside the object. This is the
//! reference form: every disc tested, the lead's factor taken at each hit.
//! Each contribution also goes to `moments` when given.
void scoreEscape(Scores& scores, const ScoringContext& context, const Photon& photon, float x1,
                 float y1, float z1, KermaMoments* moments = nullptr);

}  // namespace korvana::engine
