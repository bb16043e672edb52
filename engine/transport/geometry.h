// The simulated geometry: the irradiated object, the field, the measuring
// points and the distribution grid, and the source. What lies between the
// object and the detectors (the lead) is the scene's (engine/scene/scene.h).
//
// Lengths in cm. Origin at the field centre on the entrance surface, +z along
// the beam from the focus into the object, +x towards the worker's side.
#pragma once

#include <array>

#include "common/result_layout.h"
#include "engine/constants.h"
#include "engine/inputs/run_parameters.h"
#include "engine/transport/photon.h"
#include "engine/transport/random_stream.h"

namespace korvana::engine {

//! The object: 30 cm along x, 40 cm along y, phantomThickness along z.
struct PhantomBox {
    float xMin = -15.0f, xMax = 15.0f;
    float yMin = -20.0f, yMax = 20.0f;
    float zMin = 0.0f, zMax = 0.0f;

    //! Strictly inside: a point on a face is outside.
    bool contains(float x, float y, float z) const {
        return xMin < x && x < xMax && yMin < y && y < yMax && zMin < z && z < zMax;
    }
};

PhantomBox phantomBoxFor(const RunParameters& run);

//! The nine measuring points (common/result_layout.h) at x = 100 cm, y = 0.
inline constexpr float POINT_PLANE_X = 100.0f;    //!< [cm]
inline constexpr float POINT_DISC_RADIUS = 5.0f;  //!< [cm]
//! [cm^2] a measuring point's disc, 25 pi with the engine's pi (constants.h).
inline constexpr float POINT_DISC_AREA = 25.0f * PI;
//! z = 100 cot(angle) rounded to 0.1 cm, index 1..9 (element 0 unused).
inline constexpr std::array<float, POINT_COUNT + 1> POINT_Z = {
    0.0f, 173.2f, 100.0f, 57.7f, 26.8f, 0.0f, -26.8f, -57.7f, -100.0f, -173.2f};

//! The points of the distribution grid (common/result_layout.h) are discs of
//! radius 2 cm at y = 0.
inline constexpr float GRID_DISC_RADIUS = 2.0f;  //!< [cm]
//! [cm^2] a grid point's disc, 4 pi with the engine's pi.
inline constexpr float GRID_DISC_AREA = 4.0f * PI;

//! A new primary photon of `binEnergy` [keV] on the entrance surface, uniform
//! over the field, heading away from the focus. Redraws at the exact field centre.
Photon sourcePhoton(float binEnergy, const RunParameters& run, RandomStream& stream);

}  // namespace korvana::engine
