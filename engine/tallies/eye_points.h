// The scene's eye points as detectors: points anywhere on the worker's side
// that the next-event estimator scores at every collision, each as a disc
// like a measuring point's (next_event.h). They are held in fixed arrays up to
// the most a scene holds, so the tallies stay plain numbers that travel
// between processes as bytes; a scene without eye points scores none and
// costs nothing.
#pragma once

#include <array>

#include "common/scene_file.h"

namespace korvana::engine {

struct EyePoints {
    static constexpr int CAPACITY = static_cast<int>(MAX_SCENE_EYE_POINTS);
    int count = 0;  //!< the scene's eye points, 0..CAPACITY
    //! [cm] the centres, in the scene's order
    std::array<float, CAPACITY> x{}, y{}, z{};
};

//! The eye points of `scene` (at most CAPACITY, which its reader enforces).
inline EyePoints eyePointsOf(const SceneDescription& scene) {
    EyePoints eyes;
    for (const SceneEyePoint& point : scene.eyePoints) {
        if (eyes.count == EyePoints::CAPACITY) break;
        const auto e = static_cast<std::size_t>(eyes.count++);
        eyes.x[e] = static_cast<float>(point.positionCm[0]);
        eyes.y[e] = static_cast<float>(point.positionCm[1]);
        eyes.z[e] = static_cast<float>(point.positionCm[2]);
    }
    return eyes;
}

}  // namespace korvana::engine
