#include "engine/scene/scene.h"

#include <cmath>

#include "common/curtain_rule.h"
#include "engine/transport/grid_lookup.h"

namespace korvana::engine {

LeadCurtain leadCurtainFor(const RunParameters& run) {
    return LeadCurtain{curtainEdgeZ(run.phantomThickness, run.curtainLength),
                       run.curtainLeadThickness};
}

Scene sceneFor(const RunParameters& run, const GridTable& leadAttenuation) {
    return Scene{leadCurtainFor(run), phantomBoxFor(run), &leadAttenuation};
}

LeadCrossing crossLead(const Scene& scene, const StraightPath& path) {
    constexpr float PLANE_X = LeadCurtain::PLANE_X;
    LeadCrossing crossing;
    crossing.z0 = path.z0;
    crossing.curtainZ = path.z0 + ((PLANE_X - path.x0) / path.u) * path.w;
    crossing.behindCurtain =
        PLANE_X < path.toX && !(crossing.curtainZ > scene.curtain.coveredUpToZ);
    return crossing;
}

SceneAttenuation attenuationAt(const Scene& scene, float E) {
    return SceneAttenuation{gridValue(*scene.leadAttenuation, E)};
}

float transmission(const Scene& scene, const LeadCrossing& crossing, const SceneAttenuation& mu) {
    if (!crossing.behindCurtain) return 1.0f;
    // The obliquity is taken from a fixed lateral run of 20 cm from the plane
    // x = 0, whatever the path's start x, and ignores the y component.
    constexpr float RUN = LeadCurtain::OBLIQUITY_RUN;
    const float dz = crossing.z0 - crossing.curtainZ;
    const float cosObl = RUN / std::sqrt(RUN * RUN + dz * dz);
    return std::exp(-scene.curtain.leadThickness * mu.lead / cosObl);
}

}  // namespace korvana::engine
