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
    //! Some lane crosses some lead; if none does, every lane's transmission is
    //! 1 and a caller may skip the attenuation's lookup.
    bool anyLead;
};

//! SceneAttenuation in lanes.
template <class D>
struct SceneAttenuationLanes {
    hn::Vec<D> lead;  //!< mu of lead [1/cm]
};

template <class D>
HWY_INLINE LeadCrossingLanes<D> crossLead(D d, const Scene& scene,
                                          const StraightPathLanes<D>& path) {
    const hn::Vec<D> planeX = hn::Set(d, LeadCurtain::PLANE_X);
    const hn::Vec<D> curtainZ =
        hn::Add(path.z0, hn::Mul(hn::Div(hn::Sub(planeX, path.x0), path.u), path.w));
    const auto behindCurtain =
        hn::And(hn::Lt(planeX, path.toX),
                hn::Not(hn::Gt(curtainZ, hn::Set(d, scene.curtain.coveredUpToZ))));
    constexpr float RUN = LeadCurtain::OBLIQUITY_RUN;
    const hn::Vec<D> dz = hn::Sub(path.z0, curtainZ);
    const hn::Vec<D> cosObl =
        hn::Div(hn::Set(d, RUN), hn::Sqrt(hn::Add(hn::Set(d, RUN * RUN), hn::Mul(dz, dz))));
    return LeadCrossingLanes<D>{behindCurtain, cosObl, !hn::AllFalse(d, behindCurtain)};
}

//! The scene's attenuation at the energies E [keV] of the lanes.
template <class D>
HWY_INLINE SceneAttenuationLanes<D> attenuationAt(D d, const Scene& scene, hn::Vec<D> E) {
    return SceneAttenuationLanes<D>{gridValue(d, *scene.leadAttenuation, E)};
}

//! One energy's attenuation in every lane.
template <class D>
HWY_INLINE SceneAttenuationLanes<D> attenuationLanes(D d, const SceneAttenuation& mu) {
    return SceneAttenuationLanes<D>{hn::Set(d, mu.lead)};
}

template <class D>
HWY_INLINE hn::Vec<D> transmission(D d, const Scene& scene, const LeadCrossingLanes<D>& crossing,
                                   const SceneAttenuationLanes<D>& mu) {
    const hn::Vec<D> exponent =
        hn::Div(hn::Mul(hn::Set(d, -scene.curtain.leadThickness), mu.lead), crossing.curtainCosine);
    return hn::IfThenElse(crossing.behindCurtain, hn::Exp(d, exponent), hn::Set(d, 1.0f));
}

}  // namespace HWY_NAMESPACE
}  // namespace korvana::engine
HWY_AFTER_NAMESPACE();

#endif  // per-target include guard
