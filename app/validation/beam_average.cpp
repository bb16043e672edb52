#include "app/validation/beam_average.h"

namespace korvana::validation {

double kermaWeightedConversion(const GridTable& fluence, const app::ConversionTable& table) {
    double kerma = 0.0;
    double dose = 0.0;
    for (int i = 1; i <= GRID_BINS; ++i) {
        kerma += fluence[i] * table.kermaCoefficient[i];
        dose += fluence[i] * table.doseCoefficient3mm[i];
    }
    return kerma > 0.0 ? dose / kerma : 0.0;
}

double fluenceWeightedConversion(const GridTable& fluence, const app::ConversionTable& table) {
    double photons = 0.0;
    double sum = 0.0;
    for (int i = 1; i <= GRID_BINS; ++i) {
        if (table.kermaCoefficient[i] > 0.0) {
            photons += fluence[i];
            sum += fluence[i] * table.doseCoefficient3mm[i] / table.kermaCoefficient[i];
        }
    }
    return photons > 0.0 ? sum / photons : 0.0;
}

double meanEnergyKev(const GridTable& fluence) {
    double photons = 0.0;
    double energy = 0.0;
    for (int i = 1; i <= GRID_BINS; ++i) {
        photons += fluence[i];
        energy += fluence[i] * static_cast<double>(binEnergyKev(i));
    }
    return photons > 0.0 ? energy / photons : 0.0;
}

}  // namespace korvana::validation
