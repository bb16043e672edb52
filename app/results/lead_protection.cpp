#include "app/results/lead_protection.h"

#include <cmath>
#include <string>

#include "app/common/picture_format.h"
#include "common/data_error.h"

namespace korvana::app {

double leadThicknessCm(double thicknessMm) {
    if (!std::isfinite(thicknessMm) || thicknessMm < 0.0) {
        throw DataError("a lead thickness of " + formatPicture(thicknessMm, "0.###") +
                        " mm cannot be used (it must be 0 or more) - type the thickness in mm");
    }
    return thicknessMm * 0.1;
}

double transmittedFraction(const BinValues& spectrum, const AttenuationTable& leadAttenuation,
                           double thicknessCm) {
    double fraction = 0.0;
    for (int i = 1; i <= GRID_BINS; ++i) {
        fraction += spectrum[i] * std::exp(-leadAttenuation[i] * thicknessCm);
    }
    return fraction;
}

AngleValues computeLeadProtectedKerma(const ResultSet& set, const AttenuationTable& leadAttenuation,
                                      double thicknessMm) {
    const double thicknessCm = leadThicknessCm(thicknessMm);
    AngleValues kerma{};
    for (int k = FIRST_SHOWN_ANGLE; k <= LAST_SHOWN_ANGLE; ++k) {
        kerma[k] = set.pointKermaRatio[k] *
                   transmittedFraction(set.rawScatterSpectra[k], leadAttenuation, thicknessCm);
    }
    return kerma;
}

}  // namespace korvana::app
