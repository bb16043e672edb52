// The numbers behind the viewers' pictures and tables as CSV files in the
// programs' one CSV convention (common/csv.h): one header row naming every
// column with its unit, numbers with six significant digits, CR LF line ends
// (as every text file of the interactive program). Each function returns the
// file's lines; common/csv.h's writeCsvFile writes them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/results/annual_eye_lens_dose.h"
#include "app/results/eye_lens_dose.h"
#include "app/results/result_set.h"
#include "app/spectrum/material_tables.h"

namespace korvana::app {

//! energy_keV,photons_relative_to_peak: the incident spectrum per bin 1..300,
//! its largest bin 1 (as B_SPCTL.dat holds it and the spectrum window draws it).
std::vector<std::string> incidentSpectrumCsv(const BinValues& spectrum);

//! energy_keV,primary,scatter_30deg,...,scatter_150deg: the loaded result's
//! spectra as the result file stores them (primary times primaryPeak, the
//! scattered spectra each summing to 1).
std::vector<std::string> resultSpectraCsv(const ResultSet& set);

//! The lead layer of the air kerma export's protected column.
struct LeadLayer {
    double thicknessMm = 0;               //!< [mm Pb]
    const AttenuationTable* attenuation;  //!< Pb.dat, mu [1/cm]
};

//! angle_deg,air_kerma_Gy_per_Gy[,rel_std_error_percent][,air_kerma_behind_T_mm_Pb_Gy_per_Gy]
//! for the nine measuring points: the relative error when the result has
//! uncertainties (empty where unknown), the protected value when `lead` is given.
std::vector<std::string> airKermaCsv(const ResultSet& set, const std::optional<LeadLayer>& lead);

//! x_cm,z_cm,air_kerma_Gy_per_Gy,percent_of_max: the refined map, row by row
//! from z = -100 cm, x from 50 to 150 cm within a row.
std::vector<std::string> kermaMapCsv(const KermaMap& map);

//! One eye lens dose table and the lead it was computed for.
struct EyeLensDoseTable {
    double glassesMm = 0;     //!< [mm Pb]
    double protectionMm = 0;  //!< [mm Pb]
    EyeLensDose dose;
};

//! glasses_mm_Pb,protection_mm_Pb,angle_deg,transmitted_fraction,D3mm_per_Kair,eye_lens_dose_Gy_per_Gy,
//! rel_std_error_percent for 45 to 135 degrees of each table in turn; a value
//! that does not exist is empty.
std::vector<std::string> eyeLensDoseCsv(const std::vector<EyeLensDoseTable>& tables);

//! "below_20", "20_to_50" or "above_50": the verdict as the CSV writes it.
std::string verdictWord(DoseVerdict verdict);

//! annual_eye_lens_dose.csv: point (angle, or eye for the eye position),
//! angle_deg (for the eye the angle whose spectrum is used), x_cm and z_cm (the
//! eye's; empty for an angle), glasses_mm_Pb, protection_mm_Pb,
//! entrance_kerma_per_procedure_mGy, procedures_per_year, air_kerma_Gy_per_Gy,
//! eye_lens_dose_Gy_per_Gy, annual_hp3_mSv, rel_std_error_percent,
//! percent_of_20_mSv, verdict (verdictWord), procedures_below_20_mSv (empty
//! when there is no limit: more than a year's procedures stay below); two rows per point, without
//! glasses (glasses 0) and with them. A dose that does not exist leaves its cells empty.
std::vector<std::string> annualEyeLensDoseCsv(const AnnualEyeLensDose& table);

//! "default.data" -> "default": the stem the exports' file names start with.
std::string resultStem(const std::string& resultFileName);

}  // namespace korvana::app
