#include "app/results/csv_export.h"

#include <algorithm>
#include <cmath>

#include "app/results/kerma_uncertainty.h"
#include "app/results/lead_protection.h"
#include "common/csv.h"
#include "common/energy_grid.h"

namespace korvana::app {

namespace {

constexpr int SIGNIFICANT_DIGITS = 6;

std::string number(double value) { return csvNumber(value, SIGNIFICANT_DIGITS); }

std::string number(const std::optional<double>& value) {
    return csvNumber(value, SIGNIFICANT_DIGITS);
}

std::string energyOfBin(int bin) { return number(binEnergyKev(bin)); }

std::string angleText(int k) { return number(angleOfIndex(k)); }

}  // namespace

std::vector<std::string> incidentSpectrumCsv(const BinValues& spectrum) {
    double peak = 0.0;
    for (int i = 1; i <= GRID_BINS; ++i) peak = std::max(peak, spectrum[i]);
    std::vector<std::string> lines{"energy_keV,photons_relative_to_peak"};
    for (int i = 1; i <= GRID_BINS; ++i) {
        lines.push_back(csvLine({energyOfBin(i), number(peak > 0 ? spectrum[i] / peak : 0.0)}));
    }
    return lines;
}

std::vector<std::string> resultSpectraCsv(const ResultSet& set) {
    std::vector<std::string> header = {"energy_keV", "primary"};
    for (int k = 1; k <= POINT_COUNT; ++k) header.push_back("scatter_" + angleText(k) + "deg");
    std::vector<std::string> lines{csvLine(header)};
    for (int i = 1; i <= GRID_BINS; ++i) {
        std::vector<std::string> cells = {energyOfBin(i),
                                          number(set.primarySpectrum[i] * set.primaryPeak)};
        for (int k = 1; k <= POINT_COUNT; ++k) cells.push_back(number(set.rawScatterSpectra[k][i]));
        lines.push_back(csvLine(cells));
    }
    return lines;
}

std::vector<std::string> airKermaCsv(const ResultSet& set, const std::optional<LeadLayer>& lead) {
    std::vector<std::string> header = {"angle_deg", "air_kerma_Gy_per_Gy"};
    if (set.uncertainties) header.emplace_back("rel_std_error_percent");
    double leadCm = 0;
    if (lead) {
        leadCm = leadThicknessCm(lead->thicknessMm);
        header.push_back("air_kerma_behind_" + number(lead->thicknessMm) + "_mm_Pb_Gy_per_Gy");
    }
    std::vector<std::string> lines{csvLine(header)};
    for (int k = 1; k <= POINT_COUNT; ++k) {
        std::vector<std::string> cells = {angleText(k), number(set.pointKermaRatio[k])};
        if (set.uncertainties) cells.push_back(number(pointRelativeErrorPercent(set, k)));
        if (lead) {
            cells.push_back(
                number(set.pointKermaRatio[k] *
                       transmittedFraction(set.rawScatterSpectra[k], *lead->attenuation, leadCm)));
        }
        lines.push_back(csvLine(cells));
    }
    return lines;
}

std::vector<std::string> kermaMapCsv(const KermaMap& map) {
    std::vector<std::string> lines{"x_cm,z_cm,air_kerma_Gy_per_Gy,percent_of_max"};
    lines.reserve(1 + static_cast<std::size_t>(MAP_COLUMNS) * MAP_ROWS);
    for (int j = 1; j <= MAP_ROWS; ++j) {
        const std::string z = number(mapRowZ(j));
        for (int i = 1; i <= MAP_COLUMNS; ++i) {
            const double percent = map.at(i, j);
            lines.push_back(csvLine({number(mapColumnX(i)), z,
                                     number(percent / 100.0 * map.kermaMapMax), number(percent)}));
        }
    }
    return lines;
}

std::vector<std::string> eyeLensDoseCsv(const std::vector<EyeLensDoseTable>& tables) {
    std::vector<std::string> lines{
        "glasses_mm_Pb,protection_mm_Pb,angle_deg,transmitted_fraction,D3mm_per_Kair,"
        "eye_lens_dose_Gy_per_Gy,rel_std_error_percent"};
    for (const EyeLensDoseTable& table : tables) {
        for (int k = FIRST_SHOWN_ANGLE; k <= LAST_SHOWN_ANGLE; ++k) {
            lines.push_back(csvLine({number(table.glassesMm), number(table.protectionMm),
                                     angleText(k), number(table.dose.transmittedFraction[k]),
                                     number(table.dose.doseConversionRatio[k]),
                                     number(table.dose.eyeLensDose[k]),
                                     number(table.dose.relStdErrorPercent[k])}));
        }
    }
    return lines;
}

std::string verdictWord(DoseVerdict verdict) {
    switch (verdict) {
        case DoseVerdict::BelowLimit:
            return "below_20";
        case DoseVerdict::AboveAverageLimit:
            return "20_to_50";
        case DoseVerdict::AboveSingleYearLimit:
            return "above_50";
    }
    return {};
}

std::vector<std::string> annualEyeLensDoseCsv(const AnnualEyeLensDose& table) {
    std::vector<std::string> lines{
        "point,angle_deg,x_cm,z_cm,glasses_mm_Pb,protection_mm_Pb,"
        "entrance_kerma_per_procedure_mGy,procedures_per_year,air_kerma_Gy_per_Gy,"
        "eye_lens_dose_Gy_per_Gy,annual_hp3_mSv,rel_std_error_percent,percent_of_20_mSv,verdict,"
        "procedures_below_20_mSv"};
    for (const AnnualDosePoint& point : table.points) {
        for (const bool glasses : {false, true}) {
            const std::optional<AnnualDose>& year = glasses ? point.glasses : point.bare;
            std::vector<std::string> cells = {point.eye ? "eye" : "angle",
                                              angleText(point.angleIndex),
                                              point.eye ? number(point.eye->xCm) : std::string(),
                                              point.eye ? number(point.eye->zCm) : std::string(),
                                              number(glasses ? table.glassesMm : 0.0),
                                              number(table.protectionMm),
                                              number(table.entranceKermaGy * 1000.0),
                                              std::to_string(table.workload.proceduresPerYear),
                                              number(point.kermaRatio)};
            if (year) {
                cells.insert(cells.end(), {number(year->doseRatio), number(year->annualMsv),
                                           number(year->relStdErrorPercent),
                                           number(year->percentOfLimit), verdictWord(year->verdict),
                                           year->proceduresBelowLimit
                                               ? std::to_string(*year->proceduresBelowLimit)
                                               : std::string()});
            } else {
                cells.resize(cells.size() + 6);
            }
            lines.push_back(csvLine(cells));
        }
    }
    return lines;
}

std::string resultStem(const std::string& resultFileName) {
    const std::string extension = RESULT_FILE_EXTENSION;
    if (resultFileName.size() > extension.size() &&
        resultFileName.compare(resultFileName.size() - extension.size(), extension.size(),
                               extension) == 0) {
        return resultFileName.substr(0, resultFileName.size() - extension.size());
    }
    return resultFileName;
}

}  // namespace korvana::app
