// The scene a scored contribution travels through once it has left its
// interaction point: the object it may still have to leave and the lead that
// stands between it and a detector on the worker's side. The lead today is
// the curtain.
//
// A tally asks the scene two things about a straight path to a detector:
// where the path meets the lead (crossLead, once per path) and what fraction
// of a contribution along it passes (transmission, for each photon energy on
// that path, given the scene's attenuation at that energy, attenuationAt).
// The tallies never look at the lead themselves, so a further element (a
// flat sheet of lead, a layer of another material) is added here: a member
// of Scene, what crossLead records of it in LeadCrossing, its factor in
// transmission and its material in SceneAttenuation, with the lane versions
// of the same functions in scene-inl.h.
//
// The lane versions compute the same float operations in the same order, but
// take the exponential from Highway's vector math, which differs from
// std::exp in the last digits.
//
// Lengths in cm, coordinates as in geometry.h.
#pragma once

#include <cmath>

#include "common/energy_grid.h"
#include "engine/inputs/run_parameters.h"
#include "engine/transport/geometry.h"
#include "engine/transport/grid_lookup.h"

namespace korvana::engine {

//! A sheet without thickness in the plane x = 20 cm, covering z <= phantomThickness -
//! curtainLength, unbounded in y.
struct LeadCurtain {
    static constexpr float PLANE_X = 20.0f;  //!< [cm]
    //! [cm] the lateral run the obliquity is taken over, whatever the path's
    //! start: the plane's distance from x = 0.
    static constexpr float OBLIQUITY_RUN = PLANE_X;
    float coveredUpToZ = 0;   //!< [cm] phantomThickness - curtainLength
    float leadThickness = 0;  //!< [cm Pb]
};

LeadCurtain leadCurtainFor(const RunParameters& run);

//! What lies on the worker's side of the interaction points, and the
//! attenuation of its lead.
struct Scene {
    LeadCurtain curtain{};
    PhantomBox box{};                            //!< the object
    const GridTable* leadAttenuation = nullptr;  //!< mu of lead [1/cm] on the energy grid
};

//! The run's scene; it refers to `leadAttenuation`, which must outlive it.
Scene sceneFor(const RunParameters& run, const GridTable& leadAttenuation);

//! A straight path from (x0, y0, z0) [cm] along the unit direction (u, v, w),
//! u > 0, towards the worker's side, ending at a detector in the plane
//! x = toX [cm]: the lead beyond that plane does not act on it.
struct StraightPath {
    float x0 = 0, y0 = 0, z0 = 0;
    float u = 0, v = 0, w = 0;
    float toX = 0;
};

//! Where a path meets the scene's lead.
struct LeadCrossing {
    float z0 = 0;                //!< [cm] the path's start depth
    float curtainZ = 0;          //!< [cm] z at which the path's line crosses the curtain's plane
    bool behindCurtain = false;  //!< the path crosses the curtain's covered part
};

//! The scene's attenuation at one photon energy.
struct SceneAttenuation {
    float lead = 0;  //!< mu of lead [1/cm]
};

// The three are inline: they run in the tallies' inner loops, at every disc
// hit and every next-event ray.

inline LeadCrossing crossLead(const Scene& scene, const StraightPath& path) {
    constexpr float PLANE_X = LeadCurtain::PLANE_X;
    LeadCrossing crossing;
    crossing.z0 = path.z0;
    crossing.curtainZ = path.z0 + ((PLANE_X - path.x0) / path.u) * path.w;
    crossing.behindCurtain =
        PLANE_X < path.toX && !(crossing.curtainZ > scene.curtain.coveredUpToZ);
    return crossing;
}

//! The scene's attenuation at E [keV], interpolated in its tables (grid_lookup.h).
inline SceneAttenuation attenuationAt(const Scene& scene, float E) {
    return SceneAttenuation{gridValue(*scene.leadAttenuation, E)};
}

//! The fraction of a contribution along the path of `crossing` that passes
//! the lead, at the energy whose attenuation is `mu`.
inline float transmission(const Scene& scene, const LeadCrossing& crossing,
                          const SceneAttenuation& mu) {
    if (!crossing.behindCurtain) return 1.0f;
    // The obliquity is taken from a fixed lateral run of 20 cm from the plane
    // x = 0, whatever the path's start x, and ignores the y component.
    constexpr float RUN = LeadCurtain::OBLIQUITY_RUN;
    const float dz = crossing.z0 - crossing.curtainZ;
    const float cosObl = RUN / std::sqrt(RUN * RUN + dz * dz);
    return std::exp(-scene.curtain.leadThickness * mu.lead / cosObl);
}

}  // namespace korvana::engine
