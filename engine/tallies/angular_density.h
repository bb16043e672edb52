// The angular densities of coherent and incoherent scattering, per steradian,
// of exactly the distributions the transport samples (scattering.h): the
// next-event estimator weighs each collision's contribution to a measuring
// point with them.
//
//  - coherent: x from the form-factor integral by inversion (straight lines
//    between rows, so x is uniform within a row with the row's share), then
//    sin(theta/2) = x hc/E with s > 1 drawn again, then the Thomson factor
//    (1 + cos^2)/2 by rejection;
//  - incoherent: Klein-Nishina (Kahn's method samples it exactly), then the
//    rejection on S(x)/S(max) below x = 10 1/A, x = sin(theta/2) E/hc.
//
// Each is normalised by its integral over the sphere, taken numerically once
// for every energy of the grid (Gauss-Legendre on the pieces between the
// table's x values, where the integrand is smooth) and interpolated linearly
// between grid energies. The integrals are kept for the process: densities
// built again from the same scatter-factor table (another thread, another
// run) take them from there.
#pragma once

#include <array>

#include "common/energy_grid.h"
#include "engine/inputs/tissue_tables.h"

namespace korvana::engine {

class AngularDensities {
public:
    explicit AngularDensities(const TissueTables& tables);

    //! Density per steradian of coherent scattering at E [keV] by the angle of cosine mu.
    double coherent(double E, double mu) const {
        return coherentShape(E, mu) / (TWO_PI * normalisation(m_coherentNorm, E));
    }
    //! Density per steradian of incoherent scattering at E [keV] by the angle of cosine mu.
    double incoherent(double E, double mu) const {
        return incoherentShape(E, mu) / (TWO_PI * normalisation(m_incoherentNorm, E));
    }

    //! 2 pi times the integrals over mu at E, interpolated on the grid: the
    //! densities' divisors.
    double coherentNormalisation(double E) const {
        return TWO_PI * normalisation(m_coherentNorm, E);
    }
    double incoherentNormalisation(double E) const {
        return TWO_PI * normalisation(m_incoherentNorm, E);
    }

    //! The unnormalised densities in mu; their integrals over mu are the normalisations.
    double coherentShape(double E, double mu) const;
    double incoherentShape(double E, double mu) const;

    //! The integrals over mu in [-1, 1] computed afresh at E (the grid holds them).
    double coherentIntegral(double E) const;
    double incoherentIntegral(double E) const;

private:
    static constexpr double TWO_PI = 6.283185307179586;
    using Norms = std::array<double, GRID_BINS + 1>;
    static double normalisation(const Norms& norms, double E);

    //! Row j with x(j-1) < x <= x(j), 2..45; 0 below the table, 46 above it.
    int scatterRow(double x) const;
    double incoherentFunctionRatio(double x) const;  //!< S(x)/S(max), 1 from x = 10 up

    const TissueTables& m_tables;
    Norms m_coherentNorm{};
    Norms m_incoherentNorm{};
};

}  // namespace korvana::engine
