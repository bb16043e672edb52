// Photon cross sections of ICRU soft tissue and its scatter-factor tables
// (ICRUSoft.dat), with the lookups the transport makes at every interaction.
#pragma once

#include <array>
#include <string>

namespace korvana::engine {

//! Room for tissue cross-section rows: the file format reserves 25.
inline constexpr int MAX_TISSUE_ROWS = 25;
//! The scatter-factor table always has exactly 45 rows.
inline constexpr int SCATTER_FACTOR_ROWS = 45;

//! One energy row; the coefficients are used directly as linear coefficients.
struct TissueCrossSectionRow {
    float energy = 0;         //!< [keV] (the file holds MeV)
    float coherent = 0;       //!< [1/cm]
    float incoherent = 0;     //!< [1/cm]
    float photoelectric = 0;  //!< [1/cm]
};

//! One momentum-transfer row.
struct ScatterFactorRow {
    float x = 0;                   //!< sin(theta/2)/lambda [1/A]
    float formFactorIntegral = 0;  //!< integral of the squared coherent form factor up to x
    float incoherentFunction = 0;  //!< incoherent scattering function S(x)
};

struct TissueTables {
    int rowCount = 0;                                               //!< N, 2..25
    std::array<TissueCrossSectionRow, MAX_TISSUE_ROWS + 1> rows{};  //!< 1..N; element 0 unused
    float tissueDensity = 0;                                        //!< [g/cm^3] read, not applied
    std::array<ScatterFactorRow, SCATTER_FACTOR_ROWS + 1> scatter{};  //!< 1..45
    float formFactorIntegralMax = 0;  //!< formFactorIntegral of row 45
    float incoherentFunctionMax = 0;  //!< incoherentFunction of row 45
};

//! Reads ICRUSoft.dat. Besides the record formats it refuses what would make a
//! lookup fail: N outside 2..25, energies not ascending, coefficients that are
//! not positive (they are interpolated in log-log), x not ascending, a
//! decreasing form-factor integral, and zero maxima.
TissueTables loadTissueTables(const std::string& fileName);

struct TissueCoefficients {
    float coherent = 0;               //!< [1/cm]
    float incoherent = 0;             //!< [1/cm]
    float photoelectric = 0;          //!< [1/cm]
    float total = 0;                  //!< [1/cm]
    float photoFraction = 0;          //!< photoelectric / total
    float photoCoherentFraction = 0;  //!< (photoelectric + coherent) / total
};

//! Log-log interpolation at E [keV] between the rows around E. Below the first
//! row the first interval extrapolates, above the last row the last one does.
TissueCoefficients tissueCoefficients(const TissueTables& tables, float E);

//! S(x), linear in x; past row 45 the last interval extrapolates.
float incoherentFunctionAt(const TissueTables& tables, float x);

//! The x at which the form-factor integral reaches a, 0 <= a < formFactorIntegralMax,
//! by straight lines between rows.
float sampleCoherentX(const TissueTables& tables, float a);

}  // namespace korvana::engine
