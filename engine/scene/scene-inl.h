// The scene's functions (scene.h) in vector lanes, one path per lane, under
// the same names and in the same float operations as their scalar twins; the
// exponential is Highway's. Compiled once per instruction set: include it
// after Highway's foreach_target, like any per-target header of Highway's.

// Per-target include guard, toggled by foreach_target for each instruction set.
#if defined(KORVANA_ENGINE_SCENE_SCENE_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef KORVANA_ENGINE_SCENE_SCENE_INL_H_
#undef KORVANA_ENGINE_SCENE_SCENE_INL_H_
#else
#define KORVANA_ENGINE_SCENE_SCENE_INL_H_
#endif

#include "engine/scene/scene.h"
#include "engine/transport/grid_lookup-inl.h"
#include "hwy/contrib/math/math-inl.h"
#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace korvana::engine {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

//! StraightPath in lanes.
template <class D>
struct StraightPathLanes {
    hn::Vec<D> x0, y0, z0;
    hn::Vec<D> u, v, w;
    hn::Vec<D> toX;
};

//! LeadCrossing in lanes. The curtain's obliquity is taken here for every
//! lane, where the scalar version takes it only behind the curtain.
template <class D>
struct LeadCrossingLanes {
    hn::Mask<D> behindCurtain;
    hn::Vec<D> curtainCosine;  //!< cosine of the obliquity through the curtain
    hn::Mask<D> throughShieldOrTable;
    hn::Vec<D> shieldLead;      //!< [cm Pb]
    hn::Vec<D> tableAluminium;  //!< [cm Al]
    //! Some lane crosses a shield or the table.
    bool anyShieldOrTable;
    //! Some lane crosses some element; if none does, every lane's
    //! transmission is 1 and a caller may skip the attenuation's lookup.
    bool anyLead;
};

//! SceneAttenuation in lanes.
template <class D>
struct SceneAttenuationLanes {
    hn::Vec<D> lead;       //!< mu of lead [1/cm]
    hn::Vec<D> aluminium;  //!< mu of aluminium [1/cm]; 0 without a table
};

//! The lead of the shields each lane's path crosses (crossShields).
template <class D>
HWY_INLINE hn::Vec<D> crossShields(D d, const Scene& scene, const StraightPathLanes<D>& path) {
    hn::Vec<D> lead = hn::Zero(d);
    for (int i = 0; i < scene.shieldCount; ++i) {
        const LeadShield& s = scene.shields[static_cast<std::size_t>(i)];
        const hn::Vec<D> sinTilt = hn::Set(d, s.sinTilt), cosTilt = hn::Set(d, s.cosTilt);
        const hn::Vec<D> centreX = hn::Set(d, s.centreX), centreZ = hn::Set(d, s.centreZ);
        const hn::Vec<D> facing = hn::Sub(hn::Mul(cosTilt, path.u), hn::Mul(sinTilt, path.w));
        const hn::Vec<D> perFacing = hn::Div(hn::Set(d, 1.0f), facing);
        const hn::Vec<D> along = hn::Mul(hn::Sub(hn::Mul(cosTilt, hn::Sub(centreX, path.x0)),
                                                 hn::Mul(sinTilt, hn::Sub(centreZ, path.z0))),
                                         perFacing);
        const hn::Vec<D> across =
            hn::Add(hn::Mul(hn::Sub(hn::Add(path.x0, hn::Mul(along, path.u)), centreX), sinTilt),
                    hn::Mul(hn::Sub(hn::Add(path.z0, hn::Mul(along, path.w)), centreZ), cosTilt));
        const auto ahead = hn::And(hn::Gt(along, hn::Zero(d)),
                                   hn::Lt(hn::Add(centreX, hn::Mul(across, sinTilt)), path.toX));
        const hn::Vec<D> side =
            hn::Sub(hn::Add(path.y0, hn::Mul(along, path.v)), hn::Set(d, s.centreY));
        const auto inside =
            hn::And(ahead, hn::And(hn::Le(hn::Abs(across), hn::Set(d, s.halfHeight)),
                                   hn::Le(hn::Abs(side), hn::Set(d, s.halfWidth))));
        lead = hn::IfThenElse(
            inside, hn::Add(lead, hn::Mul(hn::Set(d, s.leadThickness), hn::Abs(perFacing))), lead);
    }
    return lead;
}

//! The table's aluminium each lane's path crosses (crossTable).
template <class D>
HWY_INLINE hn::Vec<D> crossTable(D d, const Scene& scene, const StraightPathLanes<D>& path) {
    const AluminiumTable& t = scene.table;
    const hn::Vec<D> perW = hn::Div(hn::Set(d, 1.0f), path.w);
    const hn::Vec<D> along = hn::Mul(hn::Sub(hn::Set(d, t.planeZ), path.z0), perW);
    const auto ahead = hn::And(hn::Gt(along, hn::Zero(d)),
                               hn::Le(hn::Mul(along, path.u), hn::Sub(path.toX, path.x0)));
    const hn::Vec<D> x = hn::Add(path.x0, hn::Mul(along, path.u));
    const hn::Vec<D> y = hn::Add(path.y0, hn::Mul(along, path.v));
    const auto inside = hn::And(
        ahead, hn::And(hn::Le(hn::Abs(x), hn::Set(d, t.halfWidthX)),
                       hn::And(hn::Ge(y, hn::Set(d, t.yMin)), hn::Le(y, hn::Set(d, t.yMax)))));
    return hn::IfThenElseZero(inside, hn::Mul(hn::Set(d, t.aluminiumThickness), hn::Abs(perW)));
}

template <class D>
HWY_INLINE LeadCrossingLanes<D> crossLead(D d, const Scene& scene,
                                          const StraightPathLanes<D>& path) {
    const hn::Vec<D> planeX = hn::Set(d, LeadCurtain::PLANE_X);
    const hn::Vec<D> curtainZ =
        hn::Add(path.z0, hn::Mul(hn::Div(hn::Sub(planeX, path.x0), path.u), path.w));
    auto behindCurtain = hn::And(hn::Lt(planeX, path.toX),
                                 hn::Not(hn::Gt(curtainZ, hn::Set(d, scene.curtain.coveredUpToZ))));
    if (scene.curtain.finite) {
        const hn::Vec<D> curtainY =
            hn::Add(path.y0, hn::Mul(hn::Div(hn::Sub(planeX, path.x0), path.u), path.v));
        behindCurtain =
            hn::And(behindCurtain, hn::And(hn::Ge(curtainY, hn::Set(d, scene.curtain.yMin)),
                                           hn::Le(curtainY, hn::Set(d, scene.curtain.yMax))));
    }
    constexpr float RUN = LeadCurtain::OBLIQUITY_RUN;
    const hn::Vec<D> dz = hn::Sub(path.z0, curtainZ);
    const hn::Vec<D> cosObl =
        hn::Div(hn::Set(d, RUN), hn::Sqrt(hn::Add(hn::Set(d, RUN * RUN), hn::Mul(dz, dz))));
    LeadCrossingLanes<D> crossing{.behindCurtain = behindCurtain,
                                  .curtainCosine = cosObl,
                                  .throughShieldOrTable = hn::FirstN(d, 0),
                                  .shieldLead = hn::Zero(d),
                                  .tableAluminium = hn::Zero(d),
                                  .anyShieldOrTable = false,
                                  .anyLead = !hn::AllFalse(d, behindCurtain)};
    if (scene.shieldCount > 0) crossing.shieldLead = crossShields(d, scene, path);
    if (scene.table.aluminiumThickness > 0.0f) crossing.tableAluminium = crossTable(d, scene, path);
    if (scene.shieldCount > 0 || scene.table.aluminiumThickness > 0.0f) {
        crossing.throughShieldOrTable = hn::Or(hn::Gt(crossing.shieldLead, hn::Zero(d)),
                                               hn::Gt(crossing.tableAluminium, hn::Zero(d)));
        crossing.anyShieldOrTable = !hn::AllFalse(d, crossing.throughShieldOrTable);
        crossing.anyLead = crossing.anyLead || crossing.anyShieldOrTable;
    }
    return crossing;
}

//! The scene's attenuation at the energies E [keV] of the lanes.
template <class D>
HWY_INLINE SceneAttenuationLanes<D> attenuationAt(D d, const Scene& scene, hn::Vec<D> E) {
    return SceneAttenuationLanes<D>{
        gridValue(d, *scene.leadAttenuation, E),
        scene.aluminiumAttenuation ? gridValue(d, *scene.aluminiumAttenuation, E) : hn::Zero(d)};
}

//! One energy's attenuation in every lane.
template <class D>
HWY_INLINE SceneAttenuationLanes<D> attenuationLanes(D d, const SceneAttenuation& mu) {
    return SceneAttenuationLanes<D>{hn::Set(d, mu.lead), hn::Set(d, mu.aluminium)};
}

template <class D>
HWY_INLINE hn::Vec<D> transmission(D d, const Scene& scene, const LeadCrossingLanes<D>& crossing,
                                   const SceneAttenuationLanes<D>& mu) {
    const hn::Vec<D> curtainExponent =
        hn::Div(hn::Mul(hn::Set(d, -scene.curtain.leadThickness), mu.lead), crossing.curtainCosine);
    if (!crossing.anyShieldOrTable) {
        return hn::IfThenElse(crossing.behindCurtain, hn::Exp(d, curtainExponent),
                              hn::Set(d, 1.0f));
    }
    const hn::Vec<D> exponent = hn::Sub(hn::IfThenElseZero(crossing.behindCurtain, curtainExponent),
                                        hn::Add(hn::Mul(crossing.shieldLead, mu.lead),
                                                hn::Mul(crossing.tableAluminium, mu.aluminium)));
    return hn::IfThenElse(hn::Or(crossing.behindCurtain, crossing.throughShieldOrTable),
                          hn::Exp(d, exponent), hn::Set(d, 1.0f));
}

}  // namespace HWY_NAMESPACE
}  // namespace korvana::engine
HWY_AFTER_NAMESPACE();

#endif  // per-target include guard
