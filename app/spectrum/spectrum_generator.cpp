#include "app/spectrum/spectrum_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/spectrum/constants.h"
#include "common/data_error.h"

namespace korvana::app {

namespace {

double radians(double degrees) { return PI_SHORT * degrees / 180.0; }

// Highest bin i with i <= 2 x (energy in keV): the bins a phase of that voltage reaches.
bool withinVoltage(int bin, double energyKev) { return bin <= 2.0 * energyKev; }

}  // namespace

std::vector<int> phaseAnglesDeg(RectificationMode rectification) {
    std::vector<int> angles;
    switch (rectification) {
        case RectificationMode::ConstantPotential:
            angles = {90};
            break;
        case RectificationMode::ThreePhase12Peak:
            // Twelve pulses per period ripple between 75 and 90 degrees of each sine.
            for (int phi = 75; phi <= 90; ++phi) angles.push_back(phi);
            break;
        case RectificationMode::SinglePhaseFullWave:
            for (int phi = 2; phi <= 90; phi += 2) angles.push_back(phi);
            break;
    }
    return angles;
}

double phaseCurrentWeight(RectificationMode rectification, double sinPhase) {
    if (rectification != RectificationMode::SinglePhaseFullWave) return 1.0;
    return std::pow(std::min(sinPhase / SINGLE_PHASE_FULL_CURRENT_SINE, 1.0),
                    SINGLE_PHASE_CURRENT_EXPONENT);
}

double thomsonWhiddingtonConstant(double t0) {
    const auto& c = THOMSON_WHIDDINGTON;
    return c[0] + c[1] * t0 + c[2] * t0 * t0 + c[3] * t0 * t0 * t0 + c[4] * t0 * t0 * t0 * t0;
}

double characteristicPercent(double t0) {
    if (!(t0 > K_THRESHOLD_KEV)) return 0.0;
    return (std::sqrt(8.79856 * t0 - 595.149) - 4.55528) / 4.39928;
}

int computePhaseSpectrum(double t0, double cotTheta, const AttenuationTable& tungsten,
                         SpectrumArray& phaseSpectrum) {
    const double amplitude = BREMS_A0 + BREMS_A1 * t0;
    // Depth per (T0^2 - T^2) at which the electron has slowed to T, projected on
    // the photons' way out of the anode [cm/keV^2].
    const double depthScale = cotTheta / (TUNGSTEN_DENSITY * thomsonWhiddingtonConstant(t0));
    const auto& b = BREMS_SHAPE;

    int lastBin = 1;
    for (int i = 2; i <= GRID_BINS && withinVoltage(i, t0); ++i) {
        const double energy = binEnergyKev(i);
        // A plain sum over electron energies in 0.5 keV steps starting at E itself,
        // without a step-width factor: the spectrum is relative.
        double sum = 0.0;
        for (double t = energy; t <= t0; t += ENERGY_STEP_KEV) {
            const double x = energy / t;
            const double shape = amplitude * (1.0 + b[0] * x + b[1] * x * x + b[2] * x * x * x +
                                              b[3] * x * x * x * x);
            const double energyLoss =
                ENERGY_LOSS_SCALE * std::exp(ENERGY_LOSS_DECAY * t) + ENERGY_LOSS_OFFSET;
            const double depthCm = depthScale * (t0 * t0 - t * t);
            sum += shape * (1.0 + ELECTRON_REST_ENERGY / t) / energyLoss *
                   std::exp(-tungsten[i] * depthCm);
        }
        phaseSpectrum[i] = sum;
        lastBin = i;
    }

    const double kPercent = characteristicPercent(t0);
    if (t0 > K_THRESHOLD_KEV) {
        double total = 0.0;
        for (int i = 2; i <= lastBin; ++i) total += phaseSpectrum[i];
        const double kPhotons = 0.01 * kPercent * total;
        for (const KLine& line : K_LINES) phaseSpectrum[line.bin] += line.share * kPhotons;
    }
    return lastBin;
}

GeneratedSpectrum computeIncidentSpectrum(const IrradiationConditions& conditions,
                                          const MaterialTables& tables) {
    const double kv = conditions.tubeVoltageKv;
    const double cotTheta = 1.0 / std::tan(radians(conditions.targetAngleDeg));

    GeneratedSpectrum result;
    SpectrumArray& spectrum = result.incidentSpectrum;
    SpectrumArray phaseSpectrum{};
    int phases = 0;
    int lastBin = 1;
    for (int phi : phaseAnglesDeg(conditions.rectification)) {
        ++phases;
        const double s = std::sin(radians(phi));
        const double t0 = kv * s;
        const double weight = phaseCurrentWeight(conditions.rectification, s);
        lastBin = computePhaseSpectrum(t0, cotTheta, tables.tungstenAttenuation, phaseSpectrum);
        for (int i = 2; i <= lastBin; ++i) spectrum[i] += weight * phaseSpectrum[i];
    }

    // Every mode ends with the phase at 90 degrees, which reaches the highest bin.
    // The mean is over the phases, not over their current weights.
    for (int i = 2; i <= lastBin; ++i) spectrum[i] = spectrum[i] / phases;

    // Nothing leaves the anode when the photons' way out of it, cot(angle)
    // times the electrons' depth, is too long: the target angle's fault, not the filters'.
    if (!(*std::max_element(spectrum.begin(), spectrum.end()) > 0.0)) {
        char angle[32];
        std::snprintf(angle, sizeof angle, "%g", conditions.targetAngleDeg);
        throw DataError(std::string("the spectrum is 0 in every bin (at a target angle of ") +
                        angle +
                        " degree the anode absorbs the whole beam on its way out) - give a "
                        "larger target angle");
    }

    const double aluminiumCm = conditions.inherentFiltrationCm + conditions.addedAluminiumCm;
    for (int i = 2; i <= GRID_BINS && withinVoltage(i, kv); ++i) {
        spectrum[i] = spectrum[i] * std::exp(-tables.aluminiumAttenuation[i] * aluminiumCm) *
                      std::exp(-tables.copperAttenuation[i] * conditions.addedCopperCm) /
                      binEnergyKev(i);
    }

    for (int i = 2; i <= GRID_BINS && withinVoltage(i, kv); ++i) {
        if (spectrum[i] > result.spectrumPeak) result.spectrumPeak = spectrum[i];
    }
    if (!(result.spectrumPeak > 0.0) || !std::isfinite(result.spectrumPeak)) {
        throw DataError(
            "the spectrum is 0 in every bin (the filters absorb the whole beam) - "
            "use thinner aluminium or copper filters");
    }
    return result;
}

}  // namespace korvana::app
