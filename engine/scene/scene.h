// The scene a scored contribution travels through once it has left its
// interaction point: the object it may still have to leave and what stands
// between it and a detector on the worker's side: the curtain (unbounded in
// y, or finite), the ceiling-suspended shields and the table. None of them is
// a region of the transport: each multiplies a contribution whose straight
// path crosses it by its transmission.
//
// A tally asks the scene two things about a straight path to a detector:
// where the path meets the scene's elements (crossLead, once per path) and
// what fraction of a contribution along it passes (transmission, for each
// photon energy on that path, given the scene's attenuation at that energy,
// attenuationAt). The tallies never look at the elements themselves, so a
// further kind of element (a lead shield of another shape, a layer of
// another material) is added in this module and the scene file alone:
//   - scene.h: its struct and a member of Scene (a fixed-capacity array when
//     there may be several: Scene is copied into the vector kernel's
//     tables), what crossLead records of it in LeadCrossing, its factor in
//     transmission and its material in SceneAttenuation and attenuationAt;
//   - scene-inl.h: the lane versions of the same, and anyLead covering it;
//   - scene.cpp: sceneFor, building it from the SceneDescription;
//   - common/scene_file.h/.cpp: its keys, checks and canonical text, which the
//     windows' drawing reads;
// and the test of its transmission in tests/engine/scene_test.cpp. Every
// element is tested only when the scene has it (a shield count of 0, a table
// of no aluminium), so a scene without it costs what it did.
//
// The lane versions compute the same float operations in the same order, but
// take the exponential from Highway's vector math, which differs from
// std::exp in the last digits.
//
// Lengths in cm, coordinates as in geometry.h.
#pragma once

#include <array>
#include <cmath>
#include <type_traits>

#include "common/energy_grid.h"
#include "common/scene_file.h"
#include "engine/inputs/run_parameters.h"
#include "engine/transport/geometry.h"
#include "engine/transport/grid_lookup.h"

namespace korvana::engine {

//! A sheet without thickness in the plane x = 20 cm, covering z <= phantomThickness -
//! curtainLength; unbounded in y unless `finite`, then covering yMin <= y <= yMax only.
struct LeadCurtain {
    static constexpr float PLANE_X = 20.0f;  //!< [cm]
    //! [cm] the lateral run the obliquity is taken over, whatever the path's
    //! start: the plane's distance from x = 0.
    static constexpr float OBLIQUITY_RUN = PLANE_X;
    float coveredUpToZ = 0;    //!< [cm] phantomThickness - curtainLength
    float leadThickness = 0;   //!< [cm Pb]
    bool finite = false;       //!< scatter passes around its sides
    float yMin = 0, yMax = 0;  //!< [cm] its extent along y when `finite`
};

LeadCurtain leadCurtainFor(const RunParameters& run);

//! A flat rectangle of lead without thickness, hung anywhere outside the
//! object. Its width runs along y; its height along (sinTilt, 0, cosTilt),
//! along z at tilt 0; its normal is (cosTilt, 0, -sinTilt).
struct LeadShield {
    float centreX = 0, centreY = 0, centreZ = 0;  //!< [cm]
    float sinTilt = 0, cosTilt = 1;
    float halfWidth = 0;      //!< [cm] along y
    float halfHeight = 0;     //!< [cm] along the height's direction
    float leadThickness = 0;  //!< [cm Pb]
};

//! A layer of aluminium without thickness against the object's exit or
//! entrance surface: the plane z = planeZ within |x| <= halfWidthX and
//! yMin <= y <= yMax. No table when aluminiumThickness is 0.
struct AluminiumTable {
    float planeZ = 0;              //!< [cm]
    float halfWidthX = 0;          //!< [cm]
    float yMin = 0, yMax = 0;      //!< [cm]
    float aluminiumThickness = 0;  //!< [cm Al]
};

//! What lies on the worker's side of the interaction points, and the
//! attenuation of its materials. Trivially copyable: the vector kernel keeps
//! a copy in its tables.
struct Scene {
    LeadCurtain curtain{};
    PhantomBox box{};                            //!< the object
    const GridTable* leadAttenuation = nullptr;  //!< mu of lead [1/cm] on the energy grid
    //! mu of aluminium [1/cm] on the energy grid; only with a table
    const GridTable* aluminiumAttenuation = nullptr;
    AluminiumTable table{};
    int shieldCount = 0;  //!< the first shieldCount of `shields`
    std::array<LeadShield, MAX_SCENE_SHIELDS> shields{};
};
static_assert(std::is_trivially_copyable_v<Scene>);

//! The run's scene in the room `description` (shields, finite curtain,
//! table; its eye points are detectors, not part of it). It refers to the
//! tables, which must outlive it; `aluminiumAttenuation` is needed only when
//! the description has a table (DataError otherwise).
Scene sceneFor(const RunParameters& run, const GridTable& leadAttenuation,
               const SceneDescription& description = {},
               const GridTable* aluminiumAttenuation = nullptr);

//! A straight path from (x0, y0, z0) [cm] along the unit direction (u, v, w),
//! u > 0, towards the worker's side, ending at a detector in the plane
//! x = toX [cm]: what lies beyond that plane does not act on it.
struct StraightPath {
    float x0 = 0, y0 = 0, z0 = 0;
    float u = 0, v = 0, w = 0;
    float toX = 0;
};

//! Where a path meets the scene's elements.
struct LeadCrossing {
    float z0 = 0;                //!< [cm] the path's start depth
    float curtainZ = 0;          //!< [cm] z at which the path's line crosses the curtain's plane
    bool behindCurtain = false;  //!< the path crosses the curtain's covered part
    //! the path crosses a shield or the table: shieldLead or tableAluminium > 0
    bool throughShieldOrTable = false;
    float shieldLead = 0;      //!< [cm Pb] along the path, over every shield it crosses
    float tableAluminium = 0;  //!< [cm Al] along the path through the table
};

//! The scene's attenuation at one photon energy.
struct SceneAttenuation {
    float lead = 0;       //!< mu of lead [1/cm]
    float aluminium = 0;  //!< mu of aluminium [1/cm]; 0 without a table
};

// These are inline: they run in the tallies' inner loops, at every disc
// hit and every next-event ray.

//! Adds to `crossing` the lead of each shield the path crosses before its
//! detector's plane, over its slant length: thickness / |cos incidence|.
inline void crossShields(const Scene& scene, const StraightPath& path, LeadCrossing& crossing) {
    for (int i = 0; i < scene.shieldCount; ++i) {
        const LeadShield& s = scene.shields[static_cast<std::size_t>(i)];
        const float facing = s.cosTilt * path.u - s.sinTilt * path.w;  // cos incidence
        const float perFacing = 1.0f / facing;
        const float along =
            (s.cosTilt * (s.centreX - path.x0) - s.sinTilt * (s.centreZ - path.z0)) * perFacing;
        // Parallel paths give an infinite or undefined `along` and fail here.
        if (!(along > 0.0f)) continue;
        const float across = (path.x0 + along * path.u - s.centreX) * s.sinTilt +
                             (path.z0 + along * path.w - s.centreZ) * s.cosTilt;
        const float side = path.y0 + along * path.v - s.centreY;
        // Before the detector's plane, judged at the shield's own point (its
        // x is the centre's at tilt 0): a shield lying in a detector's plane
        // leaves that detector unshielded on every path, whichever estimator
        // asks, as the curtain does.
        if (!(s.centreX + across * s.sinTilt < path.toX)) continue;
        if (!(std::fabs(across) <= s.halfHeight && std::fabs(side) <= s.halfWidth)) continue;
        crossing.shieldLead = crossing.shieldLead + s.leadThickness * std::fabs(perFacing);
    }
}

//! Records in `crossing` the table's aluminium over the path's slant length
//! through it (thickness / |w|) when the path crosses it before its detector's plane.
inline void crossTable(const Scene& scene, const StraightPath& path, LeadCrossing& crossing) {
    const AluminiumTable& t = scene.table;
    const float perW = 1.0f / path.w;
    const float along = (t.planeZ - path.z0) * perW;
    if (!(along > 0.0f && along * path.u <= path.toX - path.x0)) return;
    const float x = path.x0 + along * path.u;
    const float y = path.y0 + along * path.v;
    if (!(std::fabs(x) <= t.halfWidthX && y >= t.yMin && y <= t.yMax)) return;
    crossing.tableAluminium = t.aluminiumThickness * std::fabs(perW);
}

inline LeadCrossing crossLead(const Scene& scene, const StraightPath& path) {
    constexpr float PLANE_X = LeadCurtain::PLANE_X;
    LeadCrossing crossing;
    crossing.z0 = path.z0;
    crossing.curtainZ = path.z0 + ((PLANE_X - path.x0) / path.u) * path.w;
    crossing.behindCurtain =
        PLANE_X < path.toX && !(crossing.curtainZ > scene.curtain.coveredUpToZ);
    if (scene.curtain.finite && crossing.behindCurtain) {
        const float curtainY = path.y0 + ((PLANE_X - path.x0) / path.u) * path.v;
        crossing.behindCurtain = curtainY >= scene.curtain.yMin && curtainY <= scene.curtain.yMax;
    }
    if (scene.shieldCount > 0) crossShields(scene, path, crossing);
    if (scene.table.aluminiumThickness > 0.0f) crossTable(scene, path, crossing);
    crossing.throughShieldOrTable = crossing.shieldLead > 0.0f || crossing.tableAluminium > 0.0f;
    return crossing;
}

//! The scene's attenuation at E [keV], interpolated in its tables (grid_lookup.h).
inline SceneAttenuation attenuationAt(const Scene& scene, float E) {
    SceneAttenuation mu{gridValue(*scene.leadAttenuation, E)};
    if (scene.aluminiumAttenuation) mu.aluminium = gridValue(*scene.aluminiumAttenuation, E);
    return mu;
}

//! The curtain's exponent along the path of `crossing`, behind the curtain.
inline float curtainExponent(const Scene& scene, const LeadCrossing& crossing,
                             const SceneAttenuation& mu) {
    // The obliquity is taken from a fixed lateral run of 20 cm from the plane
    // x = 0, whatever the path's start x, and ignores the y component.
    constexpr float RUN = LeadCurtain::OBLIQUITY_RUN;
    const float dz = crossing.z0 - crossing.curtainZ;
    const float cosObl = RUN / std::sqrt(RUN * RUN + dz * dz);
    return -scene.curtain.leadThickness * mu.lead / cosObl;
}

//! The fraction of a contribution along the path of `crossing` that passes
//! the scene's elements, at the energy whose attenuation is `mu`.
inline float transmission(const Scene& scene, const LeadCrossing& crossing,
                          const SceneAttenuation& mu) {
    if (!crossing.throughShieldOrTable) {
        if (!crossing.behindCurtain) return 1.0f;
        return std::exp(curtainExponent(scene, crossing, mu));
    }
    float exponent = 0.0f;
    if (crossing.behindCurtain) exponent = curtainExponent(scene, crossing, mu);
    exponent = exponent - (crossing.shieldLead * mu.lead + crossing.tableAluminium * mu.aluminium);
    return std::exp(exponent);
}

}  // namespace korvana::engine
