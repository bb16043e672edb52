#include "app/validation/scatter_fraction.h"

namespace korvana::validation {

double fittedScatterFraction(double thetaDeg, double kvp) {
    const double t = thetaDeg;
    return 1e-6 * (8.434 + 1.60e-2 * (kvp - 125.0) - 1.105e-1 * t + 9.828e-4 * t * t -
                   1.741e-6 * t * t * t);
}

double scatterFractionOf(double kermaRatio, double distanceCm, double fieldAreaCm2) {
    const double metres = distanceCm / 100.0;
    return kermaRatio * metres * metres / fieldAreaCm2;
}

}  // namespace korvana::validation
