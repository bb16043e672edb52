#include "engine/scene/scene.h"

#include <numbers>
#include <string>

#include "common/curtain_rule.h"
#include "common/data_error.h"

namespace korvana::engine {

LeadCurtain leadCurtainFor(const RunParameters& run) {
    return LeadCurtain{curtainEdgeZ(run.phantomThickness, run.curtainLength),
                       run.curtainLeadThickness};
}

namespace {

constexpr double MM_PER_CM = 10.0;

LeadShield leadShieldFor(const SceneShield& shield) {
    const double tilt = shield.tiltDeg * std::numbers::pi / 180.0;
    LeadShield s;
    s.centreX = static_cast<float>(shield.centreCm[0]);
    s.centreY = static_cast<float>(shield.centreCm[1]);
    s.centreZ = static_cast<float>(shield.centreCm[2]);
    s.sinTilt = static_cast<float>(std::sin(tilt));
    s.cosTilt = static_cast<float>(std::cos(tilt));
    s.halfWidth = static_cast<float>(shield.widthCm / 2.0);
    s.halfHeight = static_cast<float>(shield.heightCm / 2.0);
    s.leadThickness = static_cast<float>(shield.leadMm / MM_PER_CM);
    return s;
}

}  // namespace

Scene sceneFor(const RunParameters& run, const GridTable& leadAttenuation,
               const SceneDescription& description, const GridTable* aluminiumAttenuation) {
    Scene scene{leadCurtainFor(run), phantomBoxFor(run), &leadAttenuation};
    if (description.curtain) {
        const SceneCurtain& c = *description.curtain;
        scene.curtain.finite = true;
        scene.curtain.yMin = static_cast<float>(c.centreYCm - c.widthCm / 2.0);
        scene.curtain.yMax = static_cast<float>(c.centreYCm + c.widthCm / 2.0);
    }
    if (description.shields.size() > scene.shields.size()) {
        throw DataError("the scene has " + std::to_string(description.shields.size()) +
                        " shields (the engine holds at most " +
                        std::to_string(scene.shields.size()) + ") remove some of them");
    }
    for (const SceneShield& shield : description.shields) {
        scene.shields[static_cast<std::size_t>(scene.shieldCount++)] = leadShieldFor(shield);
    }
    if (description.table && description.table->alEquivalentMm > 0.0) {
        const SceneTable& t = *description.table;
        if (!aluminiumAttenuation) {
            throw DataError(
                "the scene has a table but no aluminium table was read (Aluminum.atc is "
                "missing) put Aluminum.atc beside the other tables");
        }
        scene.aluminiumAttenuation = aluminiumAttenuation;
        scene.table.planeZ = t.side == TableSide::Exit ? scene.box.zMax : scene.box.zMin;
        scene.table.halfWidthX = static_cast<float>(t.widthCm / 2.0);
        scene.table.yMin = scene.box.yMin;
        scene.table.yMax = scene.box.yMax;
        scene.table.aluminiumThickness = static_cast<float>(t.alEquivalentMm / MM_PER_CM);
    }
    return scene;
}

}  // namespace korvana::engine
