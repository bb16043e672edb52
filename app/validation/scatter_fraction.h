// The scatter fraction of shielding design: scattered air kerma at 1 m per
// unit primary air kerma and unit field area at the patient, and Korvana's
// point kermas expressed in it.
#pragma once

namespace korvana::validation {

//! The fit of the NCRP 147 / Simpkin-Dixon scatter fraction [1/cm^2] at the
//! scattering angle `thetaDeg` [degree] and tube voltage `kvp` [kV]:
//! 1e-6 (8.434 + 1.60e-2 (kVp - 125) - 1.105e-1 t + 9.828e-4 t^2 - 1.741e-6 t^3).
double fittedScatterFraction(double thetaDeg, double kvp);

//! A point's air kerma ratio (per unit primary air kerma at the entrance
//! surface) at distance `distanceCm` from the field centre, for a field of
//! `fieldAreaCm2`, as a scatter fraction [1/cm^2]: ratio (r / 100 cm)^2 / area.
double scatterFractionOf(double kermaRatio, double distanceCm, double fieldAreaCm2);

}  // namespace korvana::validation
