#include "engine/transport/geometry.h"

#include <cmath>

#include "common/file_names.h"
#include "engine/transport/sampling_limit.h"

namespace korvana::engine {

PhantomBox phantomBoxFor(const RunParameters& run) {
    PhantomBox box;
    box.zMax = run.phantomThickness;
    return box;
}

Photon sourcePhoton(float binEnergy, const RunParameters& run, RandomStream& stream) {
    float x0 = 0, y0 = 0, rho2 = 0;
    long tries = 0;
    do {
        if (++tries > MAX_SAMPLING_TRIES)
            failSampling("the source's start point", RUN_FILE, binEnergy);
        const float r1 = stream.next();
        const float r2 = stream.next();
        x0 = (0.5f - r1) * run.fieldSizeX;
        y0 = (0.5f - r2) * run.fieldSizeY;
        rho2 = x0 * x0 + y0 * y0;
    } while (rho2 <= 0);

    const float fsd = run.focusSurfaceDistance;
    const float rayLength = std::sqrt(fsd * fsd + rho2);
    const float rho = std::sqrt(rho2);
    Photon p;
    p.x = x0;
    p.y = y0;
    p.z = 0.0f;
    p.cosTheta = fsd / rayLength;
    p.sinTheta = rho / rayLength;
    p.cosPhi = x0 / rho;
    p.sinPhi = y0 / rho;
    p.energy = binEnergy;
    p.scattered = false;
    return p;
}

}  // namespace korvana::engine
