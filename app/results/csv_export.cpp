#include "app/results/csv_export.h"

#include <charconv>
#include <cmath>

#include "app/results/kerma_uncertainty.h"
#include "app/results/lead_protection.h"
#include "common/energy_grid.h"
#include "common/text_file.h"

namespace korvana::app {

namespace {

constexpr int SIGNIFICANT_DIGITS = 6;

//! Locale-free: std::to_chars never uses the user's decimal comma.
std::string number(double value) {
    char buffer[40];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value,
                                   std::chars_format::general, SIGNIFICANT_DIGITS)
                         .ptr;
    return std::string(buffer, end);
}

std::string number(const std::optional<double>& value) {
    return value ? number(*value) : std::string();
}

std::string energyOfBin(int bin) { return number(binEnergyKev(bin)); }

std::string angleText(int k) { return number(angleOfIndex(k)); }

}  // namespace

std::vector<std::string> incidentSpectrumCsv(const BinValues& spectrum) {
    std::vector<std::string> lines{"energy_keV,photons"};
    for (int i = 1; i <= GRID_BINS; ++i)
        lines.push_back(energyOfBin(i) + "," + number(spectrum[i]));
    return lines;
}

std::vector<std::string> resultSpectraCsv(const ResultSet& set) {
    std::string header = "energy_keV,primary";
    for (int k = 1; k <= POINT_COUNT; ++k) header += ",scatter_" + angleText(k) + "deg";
    std::vector<std::string> lines{header};
    for (int i = 1; i <= GRID_BINS; ++i) {
        std::string line = energyOfBin(i) + "," + number(set.primarySpectrum[i] * set.primaryPeak);
        for (int k = 1; k <= POINT_COUNT; ++k) line += "," + number(set.rawScatterSpectra[k][i]);
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> airKermaCsv(const ResultSet& set, const std::optional<LeadLayer>& lead) {
    std::string header = "angle_deg,air_kerma_Gy_per_Gy";
    if (set.uncertainties) header += ",rel_std_error_percent";
    double leadCm = 0;
    if (lead) {
        leadCm = leadThicknessCm(lead->thicknessMm);
        header += ",air_kerma_behind_" + number(lead->thicknessMm) + "_mm_Pb_Gy_per_Gy";
    }
    std::vector<std::string> lines{header};
    for (int k = 1; k <= POINT_COUNT; ++k) {
        std::string line = angleText(k) + "," + number(set.pointKermaRatio[k]);
        if (set.uncertainties) line += "," + number(pointRelativeErrorPercent(set, k));
        if (lead) {
            line += "," + number(set.pointKermaRatio[k] *
                                 transmittedFraction(set.rawScatterSpectra[k], *lead->attenuation,
                                                     leadCm));
        }
        lines.push_back(line);
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
            lines.push_back(number(mapColumnX(i)) + "," + z + "," +
                            number(percent / 100.0 * map.kermaMapMax) + "," + number(percent));
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
            lines.push_back(number(table.glassesMm) + "," + number(table.protectionMm) + "," +
                            angleText(k) + "," + number(table.dose.transmittedFraction[k]) + "," +
                            number(table.dose.doseConversionRatio[k]) + "," +
                            number(table.dose.eyeLensDose[k]) + "," +
                            number(table.dose.relStdErrorPercent[k]));
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
        const std::string where =
            std::string(point.eye ? "eye," : "angle,") + angleText(point.angleIndex) + "," +
            (point.eye ? number(point.eye->xCm) + "," + number(point.eye->zCm) : ",") + ",";
        for (const bool glasses : {false, true}) {
            const std::optional<AnnualDose>& year = glasses ? point.glasses : point.bare;
            std::string line = where + number(glasses ? table.glassesMm : 0.0) + "," +
                               number(table.protectionMm) + "," +
                               number(table.entranceKermaGy * 1000.0) + "," +
                               std::to_string(table.workload.proceduresPerYear) + "," +
                               number(point.kermaRatio) + ",";
            if (year) {
                line += number(year->doseRatio) + "," + number(year->annualMsv) + "," +
                        number(year->relStdErrorPercent) + "," + number(year->percentOfLimit) +
                        "," + verdictWord(year->verdict) + "," +
                        (year->proceduresBelowLimit ? std::to_string(*year->proceduresBelowLimit)
                                                    : std::string());
            } else {
                line += ",,,,,";
            }
            lines.push_back(line);
        }
    }
    return lines;
}

void writeCsvFile(const std::string& fileName, const std::vector<std::string>& lines) {
    writeTextFileAtomically(fileName, lines);
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
