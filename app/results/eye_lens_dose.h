// Eye lens dose behind lead: the conversion factor from air kerma to the
// absorbed dose at 3 mm depth, D3mm/Kair, averaged over the spectrum that
// passes the lead, times the transmitted air kerma.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "app/results/result_set.h"
#include "app/spectrum/material_tables.h"
#include "common/data_error.h"

namespace korvana::app {

//! d-DperK.dDk: per bin the air kerma and the absorbed dose at 3 mm depth
//! per photon of the bin's energy, in one common unit (only their weighted
//! ratio is used).
struct ConversionTable {
    BinValues kermaCoefficient{};
    BinValues doseCoefficient3mm{};
};

//! Reads 300 records of three free-form numbers (energy, read and ignored;
//! kerma; dose). Throws DataError naming the file when it is missing, short,
//! or holds an item that is not a number or a coefficient below 0.
ConversionTable loadConversionTable(const std::string& fileName);

//! The tables the eye lens dose uses, read afresh each time its window opens.
struct EyeLensDoseTables {
    ConversionTable conversion;
    AttenuationTable leadAttenuationEye{};  //!< Pb.dat, mu [1/cm]
};

//! d-DperK.dDk, then Pb.dat, from `directory` (empty: the working directory).
EyeLensDoseTables loadEyeLensDoseTables(const std::string& directory = {});

//! Per shown angle k = 2..8 (other entries empty): the fraction F(k) of the
//! scattered photons that pass the lead, D3mm/Kair of the transmitted
//! spectrum, and the eye lens dose [Gy per Gy at the entrance surface]
//! = pointKermaRatio(k) x F(k) x D3mm/Kair. The ratio is empty when the
//! transmitted kerma sum is 0 (0/0); the dose is then 0 when nothing passes
//! the lead, empty otherwise.
//!
//! The dose's relative standard error [%] is the point kerma's, when the
//! result has uncertainties and the dose exists. The dose is the kerma times
//! two spectral averages of the same point (F and D3mm/Kair), each a ratio of
//! sums over one scored spectrum: a fluctuation of its photon count cancels
//! between numerator and denominator, and only the spread of the smooth
//! coefficients over energy is left, second order beside the kerma's own
//! error. It does not cover the conversion table's or Pb.dat's own
//! uncertainty, nor how well the scene stands for the real room.
struct EyeLensDose {
    AngleValues transmittedFraction{};
    std::array<std::optional<double>, POINT_COUNT + 1> doseConversionRatio{};
    std::array<std::optional<double>, POINT_COUNT + 1> eyeLensDose{};
    std::array<std::optional<double>, POINT_COUNT + 1> relStdErrorPercent{};
};

//! Glasses and protection are one lead layer of their summed thickness [mm].
//! Throws DataError for a negative or non-finite thickness.
EyeLensDose computeEyeLensDose(const ResultSet& set, const EyeLensDoseTables& tables,
                               double glassesMm, double protectionMm);

//! The eye lens dose [Gy per Gy] of air kerma `kermaRatio` that arrives with
//! the spectrum of angle k behind the lead of `dose`: kermaRatio x F(k) x
//! D3mm/Kair(k), as for the measuring point k itself. 0 when nothing passes
//! the lead; empty where the measuring point's own dose is empty.
std::optional<double> eyeLensDoseWithSpectrumOf(const EyeLensDose& dose, int angleIndex,
                                                double kermaRatio);

//! D3mm/Kair as shown: "0.000", or "-" when it does not exist.
std::string doseConversionRatioText(const std::optional<double>& ratio);
//! An eye lens dose as shown: "0.000E+00", or "-" when it does not exist.
std::string eyeLensDoseText(const std::optional<double>& dose);

}  // namespace korvana::app
