#include "engine/scene/scene.h"

#include "common/curtain_rule.h"

namespace korvana::engine {

LeadCurtain leadCurtainFor(const RunParameters& run) {
    return LeadCurtain{curtainEdgeZ(run.phantomThickness, run.curtainLength),
                       run.curtainLeadThickness};
}

Scene sceneFor(const RunParameters& run, const GridTable& leadAttenuation) {
    return Scene{leadCurtainFor(run), phantomBoxFor(run), &leadAttenuation};
}

}  // namespace korvana::engine
