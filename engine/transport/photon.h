// The one photon in flight.
#pragma once

namespace korvana::engine {

struct Photon {
    float x = 0, y = 0, z = 0;  //!< [cm] position; after an interaction, the interaction point
    float cosTheta = 1;         //!< polar angle from +z
    float sinTheta = 0;
    float cosPhi = 1;  //!< azimuth from +x towards +y
    float sinPhi = 0;
    float energy = 0;        //!< [keV]
    bool scattered = false;  //!< false until the first coherent or incoherent scattering

    float u() const { return cosPhi * sinTheta; }
    float v() const { return sinPhi * sinTheta; }
    float w() const { return cosTheta; }
};

}  // namespace korvana::engine
