#include "engine/transport/history.h"

namespace korvana::engine {

void turnDirection(Photon& p, float cosScatter, float sinScatter, float cPhi, float sPhi) {
    float w = sinScatter * cPhi * p.sinTheta + cosScatter * p.cosTheta;
    // Rounding can carry |w| a hair past 1 on either side; the square root
    // below needs it inside.
    if (w > 1.0f) w = 1.0f;
    if (w < -1.0f) w = -1.0f;
    const float sinNew = std::sqrt(1.0f - w * w);

    float sinPhiNew = 0, cosPhiNew = 1;
    if (sinNew != 0.0f) {
        const float G = sinScatter * sPhi / sinNew;
        if (p.sinTheta == 0.0f) {
            sinPhiNew = sPhi;
            cosPhiNew = -cPhi;
        } else {
            const float H = (cosScatter - w * p.cosTheta) / (sinNew * p.sinTheta);
            sinPhiNew = H * p.sinPhi + G * p.cosPhi;
            cosPhiNew = H * p.cosPhi - G * p.sinPhi;
        }
    }
    p.cosTheta = w;
    p.sinTheta = sinNew;
    p.cosPhi = cosPhiNew;
    p.sinPhi = sinPhiNew;
}

}  // namespace korvana::engine
