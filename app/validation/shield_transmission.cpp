#include "app/validation/shield_transmission.h"

#include <cmath>

namespace korvana::validation {

double kermaWeightedTransmission(const app::BinValues& photons, const GridTable& airMuEn,
                                 const GridTable& leadMu, double leadCm, double pathFactor) {
    double kerma = 0.0;
    double passed = 0.0;
    // Row 0 is not on the grid: the first bin (below 0.5 keV) takes row 1's values.
    const auto atCentre = [](const GridTable& table, int b) {
        return b > 1 ? 0.5 * (static_cast<double>(table[b - 1]) + table[b]) : table[b];
    };
    for (int b = 1; b <= GRID_BINS; ++b) {
        const double centreKev = binEnergyKev(b) - 0.5 * BIN_WIDTH_KEV;
        const double weight = photons[b] * centreKev * atCentre(airMuEn, b);
        kerma += weight;
        passed += weight * std::exp(-atCentre(leadMu, b) * leadCm * pathFactor);
    }
    return kerma > 0.0 ? passed / kerma : 0.0;
}

std::optional<double> equivalentPathFactor(const app::BinValues& photons, const GridTable& airMuEn,
                                           const GridTable& leadMu, double leadCm,
                                           double transmission) {
    // The transmission falls as the path grows: bisect on [1, 10].
    double low = 1.0;
    double high = 10.0;
    const auto at = [&](double s) {
        return kermaWeightedTransmission(photons, airMuEn, leadMu, leadCm, s);
    };
    if (transmission > at(low) || transmission < at(high)) {
        return std::nullopt;
    }
    for (int step = 0; step < 60; ++step) {
        const double middle = 0.5 * (low + high);
        (at(middle) > transmission ? low : high) = middle;
    }
    return 0.5 * (low + high);
}

}  // namespace korvana::validation
